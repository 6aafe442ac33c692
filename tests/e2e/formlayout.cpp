#include "formlayout.h"

#include "fakeplatform.h"
#include "platform/programinfo.h"
#include "ui/svxform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

// A check box or radio button takes clicks only on its box and caption, which may be much
// narrower than the control: aim at the middle of that area.
QPoint ClickPointIn(QWidget* widget) {
    QStyle::SubElement clickArea;
    if (qobject_cast<QCheckBox*>(widget) != nullptr)
        clickArea = QStyle::SE_CheckBoxClickRect;
    else if (qobject_cast<QRadioButton*>(widget) != nullptr)
        clickArea = QStyle::SE_RadioButtonClickRect;
    else
        return widget->rect().center();
    const auto* button = static_cast<QAbstractButton*>(widget);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return widget->style()->subElementRect(clickArea, &option, widget).center();
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

void TFormLayout::Probe() {
    // The twin runs the window's start-up and shutdown: it sets the working folder and may
    // store its settings beside this test program. Leave no trace of either.
    const QString workingFolder = QDir::currentPath();
    const QString settingsFile = ProgramFolder() + QStringLiteral("SVX.dat");
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
            for (QWidget* widget : pages->widget(tab)->findChildren<QWidget*>()) {
                if (widget->objectName().isEmpty() || !widget->isVisible())
                    continue;
                FPlaces.insert(widget->objectName(),
                               {tab, widget->mapTo(&form, ClickPointIn(widget))});
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
