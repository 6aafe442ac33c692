#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// Where a control of the main window is, in the window's client coordinates, and how it looks.
struct TControlPlace {
    int Tab = -1;      // the page it is on
    QPoint ClickPoint; // where it takes a click
    QRect StateRect;   // where its state shows: a button's box, a drop-down list's face
    // What StateRect shows in each state: unchecked and checked for a check box or radio button;
    // each item and then no selection for a drop-down list; nothing for other controls.
    QList<QImage> StatePictures;
};

// The layout of the main window, learnt from a twin built offscreen in this process with fake
// services. The program under test draws the same window with the same style and fonts, so the
// tests click controls by name instead of by hard-coded pixels.
class TFormLayout {
public:
    // Builds the twin on first use.
    static const TFormLayout& Get();

    QSize FormSize() const { return FFormSize; }
    int TabCount() const { return int(FTabs.size()); }
    QPoint TabPoint(int tab) const { return FTabs.value(tab); }
    std::optional<TControlPlace> Place(const QString& control) const;
    // The items of a drop-down list, in order.
    QStringList ItemsOf(const QString& comboBox) const { return FItems.value(comboBox); }
    // Which state a picture of the whole window (client area, the control's tab shown) shows
    // for `control`: the index of the nearest of its state pictures, or -1 when it has none.
    int ReadState(const QString& control, const QImage& windowPicture) const;
    // Whether a picture of the whole window shows page `tab`: its page area is nearer to that
    // page, as the twin draws it, than to any other page.
    bool ShowsPage(int tab, const QImage& windowPicture) const;

private:
    TFormLayout() = default;
    void Probe();

    QSize FFormSize;
    QList<QPoint> FTabs;
    QRect FPageArea;
    QList<QImage> FPages;
    QHash<QString, TControlPlace> FPlaces;
    QHash<QString, QStringList> FItems;
};
