#pragma once

#include <QHash>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// Where a control of the main window takes a click, in the window's client coordinates.
struct TControlPlace {
    int Tab = -1; // the page it is on
    QPoint ClickPoint;
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

private:
    TFormLayout() = default;
    void Probe();

    QSize FFormSize;
    QList<QPoint> FTabs;
    QHash<QString, TControlPlace> FPlaces;
    QHash<QString, QStringList> FItems;
};
