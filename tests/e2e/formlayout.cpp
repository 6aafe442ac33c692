#include "formlayout.h"

#include "fakeplatform.h"
#include "platform/session/programinfo.h"
#include "ui/svxform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <cstdlib>
#include <limits>

namespace {

// A check box or radio button takes clicks only on its box and caption, which may be much
// narrower than the control; its state shows in the box alone.
struct TButtonAreas {
    QRect Click;
    QRect Indicator;
};

std::optional<TButtonAreas> ButtonAreas(QAbstractButton* button) {
    QStyle::SubElement click;
    QStyle::SubElement indicator;
    if (qobject_cast<QCheckBox*>(button) != nullptr) {
        click = QStyle::SE_CheckBoxClickRect;
        indicator = QStyle::SE_CheckBoxIndicator;
    } else if (qobject_cast<QRadioButton*>(button) != nullptr) {
        click = QStyle::SE_RadioButtonClickRect;
        indicator = QStyle::SE_RadioButtonIndicator;
    } else {
        return std::nullopt;
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QStyle* style = button->style();
    return TButtonAreas{style->subElementRect(click, &option, button),
                        style->subElementRect(indicator, &option, button)};
}

QRect MapRect(const QWidget* widget, const QWidget* form, const QRect& rect) {
    return QRect(widget->mapTo(form, rect.topLeft()), rect.size());
}

// The box of a check box or radio button, unchecked and then checked. No handler runs: the
// signals are blocked, and radio buttons may be unchecked for the picture.
QList<QImage> ButtonPictures(QAbstractButton* button, QWidget* form, const QRect& area) {
    const QSignalBlocker blocker(button);
    const bool checked = button->isChecked();
    // An exclusive button cannot be unchecked, neither by itself nor in its group.
    const bool exclusive = button->autoExclusive();
    QButtonGroup* group = button->group();
    const bool groupExclusive = group != nullptr && group->exclusive();
    button->setAutoExclusive(false);
    if (group != nullptr)
        group->setExclusive(false);
    QList<QImage> pictures;
    for (const bool state : {false, true}) {
        button->setChecked(state);
        pictures.append(form->grab(area).toImage());
    }
    button->setChecked(checked);
    if (group != nullptr)
        group->setExclusive(groupExclusive);
    button->setAutoExclusive(exclusive);
    return pictures;
}

QList<QImage> ComboPictures(QComboBox* comboBox, QWidget* form, const QRect& area) {
    const QSignalBlocker blocker(comboBox);
    const int current = comboBox->currentIndex();
    QList<QImage> pictures;
    // Each item, then no selection at all (the list's state before settings are applied).
    for (int item = 0; item < comboBox->count(); ++item) {
        comboBox->setCurrentIndex(item);
        pictures.append(form->grab(area).toImage());
    }
    comboBox->setCurrentIndex(-1);
    pictures.append(form->grab(area).toImage());
    comboBox->setCurrentIndex(current);
    return pictures;
}

qint64 Distance(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    if (left.size() != right.size())
        return std::numeric_limits<qint64>::max();
    qint64 sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            sum += std::abs(qRed(l[x]) - qRed(r[x])) + std::abs(qGreen(l[x]) - qGreen(r[x])) +
                   std::abs(qBlue(l[x]) - qBlue(r[x]));
        }
    }
    return sum;
}

TControlPlace PlaceOf(QWidget* widget, QWidget* form, int tab) {
    // Pictures of the control as the user can work it, even if it starts greyed out.
    const bool enabled = widget->isEnabled();
    widget->setEnabled(true);
    const auto restore = qScopeGuard([&] { widget->setEnabled(enabled); });
    TControlPlace place;
    place.Tab = tab;
    place.ClickPoint = widget->mapTo(form, widget->rect().center());
    place.StateRect = MapRect(widget, form, widget->rect());
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (const std::optional<TButtonAreas> areas = ButtonAreas(button)) {
            place.ClickPoint = widget->mapTo(form, areas->Click.center());
            place.StateRect = MapRect(widget, form, areas->Indicator);
            place.StatePictures = ButtonPictures(button, form, place.StateRect);
        }
    } else if (auto* comboBox = qobject_cast<QComboBox*>(widget)) {
        place.StatePictures = ComboPictures(comboBox, form, place.StateRect);
    }
    return place;
}

} // namespace

const TFormLayout& TFormLayout::Get() {
    static const TFormLayout layout = [] {
        TFormLayout probed;
        probed.Probe();
        return probed;
    }();
    return layout;
}

std::optional<TControlPlace> TFormLayout::Place(const QString& control) const {
    const auto found = FPlaces.constFind(control);
    if (found == FPlaces.constEnd())
        return std::nullopt;
    return *found;
}

int TFormLayout::ReadState(const QString& control, const QImage& windowPicture) const {
    const std::optional<TControlPlace> place = Place(control);
    if (!place || place->StatePictures.isEmpty())
        return -1;
    const QImage shown = windowPicture.copy(place->StateRect);
    int nearest = -1;
    qint64 nearestDistance = std::numeric_limits<qint64>::max();
    for (int state = 0; state < place->StatePictures.size(); ++state) {
        const qint64 distance = Distance(shown, place->StatePictures[state]);
        if (distance < nearestDistance) {
            nearest = state;
            nearestDistance = distance;
        }
    }
    return nearest;
}

bool TFormLayout::ShowsPage(int tab, const QImage& windowPicture) const {
    if (tab < 0 || tab >= FPages.size())
        return false;
    const QImage shown = windowPicture.copy(FPageArea);
    const qint64 wanted = Distance(shown, FPages[tab]);
    for (int other = 0; other < FPages.size(); ++other)
        if (other != tab && Distance(shown, FPages[other]) <= wanted)
            return false;
    return true;
}

void TFormLayout::Probe() {
    // The twin runs the window's start-up and shutdown: it sets the working folder and may
    // store its settings. Leave no trace of either.
    const QString workingFolder = QDir::currentPath();
    const QString settingsFile = SettingsFilePath();
    const bool settingsExisted = QFile::exists(settingsFile);
    {
        TFakePlatform services;
        TSVXForm form({});
        form.show();
        FFormSize = form.size();
        QTabWidget* pages = form.SVXPageCtrl;
        QTabBar* tabBar = pages->tabBar();
        for (int tab = 0; tab < pages->count(); ++tab) {
            pages->setCurrentIndex(tab);
            QApplication::processEvents();
            FTabs.append(tabBar->mapTo(&form, tabBar->tabRect(tab).center()));
            FPageArea =
                QRect(pages->widget(tab)->mapTo(&form, QPoint(0, 0)), pages->widget(tab)->size());
            FPages.append(form.grab(FPageArea).toImage());
            for (QWidget* widget : pages->widget(tab)->findChildren<QWidget*>()) {
                if (widget->objectName().isEmpty() || !widget->isVisible())
                    continue;
                FPlaces.insert(widget->objectName(), PlaceOf(widget, &form, tab));
            }
        }
        for (const QComboBox* comboBox : form.findChildren<QComboBox*>()) {
            QStringList items;
            for (int i = 0; i < comboBox->count(); ++i)
                items.append(comboBox->itemText(i));
            FItems.insert(comboBox->objectName(), items);
        }
        form.hide();
    }
    QDir::setCurrent(workingFolder);
    if (!settingsExisted)
        QFile::remove(settingsFile);
}
