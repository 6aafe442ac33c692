#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The kinds of option controls the main window holds.
enum class TOptionKind { CheckBox, RadioButton, Edit, MaskEdit, UpDown, TrackBar, ComboBox };

// Position and size in pixels within the parent container.
struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// One option control with the values the window starts with, before the settings are read.
// Fields that do not apply to a kind keep their defaults.
struct TOptionControl {
    QString Name{}; // object name, also the name written in the settings file
    TOptionKind Kind = TOptionKind::CheckBox;
    QString ClassName{}; // class name written in the settings file; empty when not persisted
    QString Page{};      // object name of the tab page that shows it
    QString Parent{};    // object name of the container it is placed in
    QString Caption{};
    QString Hint{};
    TBounds Bounds{};
    int TabOrder = 0;    // order among the tab stops of the same parent
    int HelpContext = 0; // 0: none of its own
    bool Checked = false;
    QString Text{};
    int Position = 0;
    int ItemIndex = -1; // -1: no selection
    int Min = 0;
    int Max = 0;
    int Frequency = 0; // track bars: a tick every this many steps
    QStringList Items{};
    bool Enabled = true;
    bool ShowsOwnHint = false; // false: no tooltip of its own
    bool Persisted = true;     // stored as a control record (the drop-down lists are not)
    int MaxLength = 0;         // 0: no limit
    QString EditMask{};        // the settings file's form of the edit mask ("0000;1;_")
    QString InputMask{};       // the same mask in Qt's language ("9999;_")
};

// Every option control of the main window, in the order of the settings file's records
// (the drop-down lists sit in between and are skipped there, being stored as indices).
const QList<TOptionControl>& OptionControls();

// The entry of the named control, or null.
const TOptionControl* FindOptionControl(QStringView name);
