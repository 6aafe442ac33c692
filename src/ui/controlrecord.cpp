#include "ui/controlrecord.h"

#include "capture/filenaming.h"
#include "settings/componentstream.h"
#include "ui/maskededit.h"
#include "ui/optioncontrols.h"
#include "ui/updown.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <algorithm>
#include <functional>
#include <utility>

namespace {

using K = TOptionKind;

// Qualified name of the edit the up-down shows its position in.
const QString AssociateName = QStringLiteral("SVXForm.DigitsEdit");

bool ExplicitlyEnabled(const QWidget& control) {
    // A control on a hidden or disabled page still counts as enabled: only its own state is stored.
    return control.isEnabledTo(control.parentWidget());
}

// ---- writing ----

void WriteGeometry(TComponentWriter& out, const TOptionControl& entry) {
    out.IntegerProperty(QStringLiteral("Left"), entry.Bounds.Left);
    out.IntegerProperty(QStringLiteral("Top"), entry.Bounds.Top);
    out.IntegerProperty(QStringLiteral("Width"), entry.Bounds.Width);
    out.IntegerProperty(QStringLiteral("Height"), entry.Bounds.Height);
}

void WriteText(TComponentWriter& out, const QString& name, const QString& value) {
    if (!value.isEmpty())
        out.StringProperty(name, value);
}

void WriteHelpContext(TComponentWriter& out, const TOptionControl& entry) {
    if (entry.HelpContext != 0)
        out.IntegerProperty(QStringLiteral("HelpContext"), entry.HelpContext);
}

void WriteEnabled(TComponentWriter& out, const QWidget& control) {
    if (!ExplicitlyEnabled(control))
        out.BooleanProperty(QStringLiteral("Enabled"), false);
}

void WriteParentShowHint(TComponentWriter& out, const TOptionControl& entry) {
    if (entry.ShowsOwnHint)
        out.BooleanProperty(QStringLiteral("ParentShowHint"), false);
}

void WriteShowHint(TComponentWriter& out, const TOptionControl& entry) {
    if (entry.ShowsOwnHint)
        out.BooleanProperty(QStringLiteral("ShowHint"), true);
}

void WriteTabOrder(TComponentWriter& out, const TOptionControl& entry) {
    out.IntegerProperty(QStringLiteral("TabOrder"), entry.TabOrder);
}

void WriteCheckBox(TComponentWriter& out, const TOptionControl& entry, const QCheckBox& box) {
    WriteGeometry(out, entry);
    WriteText(out, QStringLiteral("Hint"), entry.Hint);
    WriteHelpContext(out, entry);
    WriteText(out, QStringLiteral("Caption"), entry.Caption);
    if (box.isChecked())
        out.BooleanProperty(QStringLiteral("Checked"), true);
    WriteEnabled(out, box);
    WriteParentShowHint(out, entry);
    WriteShowHint(out, entry);
    if (box.isChecked())
        out.IdentProperty(QStringLiteral("State"), QStringLiteral("cbChecked"));
    WriteTabOrder(out, entry);
}

void WriteRadioButton(TComponentWriter& out, const TOptionControl& entry,
                      const QRadioButton& button) {
    WriteGeometry(out, entry);
    WriteText(out, QStringLiteral("Hint"), entry.Hint);
    WriteText(out, QStringLiteral("Caption"), entry.Caption);
    if (button.isChecked())
        out.BooleanProperty(QStringLiteral("Checked"), true);
    WriteEnabled(out, button);
    WriteParentShowHint(out, entry);
    WriteShowHint(out, entry);
    WriteTabOrder(out, entry);
    // Only the checked button of a group is a tab stop.
    if (button.isChecked())
        out.BooleanProperty(QStringLiteral("TabStop"), true);
}

void WriteEdit(TComponentWriter& out, const TOptionControl& entry, const QLineEdit& edit) {
    WriteGeometry(out, entry);
    WriteText(out, QStringLiteral("Hint"), entry.Hint);
    WriteHelpContext(out, entry);
    WriteEnabled(out, edit);
    if (entry.MaxLength != 0)
        out.IntegerProperty(QStringLiteral("MaxLength"), entry.MaxLength);
    WriteParentShowHint(out, entry);
    WriteShowHint(out, entry);
    WriteTabOrder(out, entry);
    WriteText(out, QStringLiteral("Text"), edit.text());
}

// The stored form of the start field's mask: one required digit ("0") per position.
QString StoredEditMask(const QLineEdit& edit) {
    const QString mask = edit.inputMask();
    const qsizetype digits = mask.indexOf(QLatin1Char(';'));
    return QString(digits < 0 ? 0 : digits, QLatin1Char('0')) + QStringLiteral(";1;_");
}

void WriteMaskEdit(TComponentWriter& out, const TOptionControl& entry, const QLineEdit& edit) {
    WriteGeometry(out, entry);
    WriteEnabled(out, edit);
    out.StringProperty(QStringLiteral("EditMask"), StoredEditMask(edit));
    if (entry.MaxLength != 0)
        out.IntegerProperty(QStringLiteral("MaxLength"), entry.MaxLength);
    WriteTabOrder(out, entry);
    WriteText(out, QStringLiteral("Text"), MaskedEditText(edit));
}

void WriteUpDown(TComponentWriter& out, const TOptionControl& entry, const TUpDown& upDown) {
    WriteGeometry(out, entry);
    out.IdentProperty(QStringLiteral("Associate"), AssociateName);
    out.IntegerProperty(QStringLiteral("Min"), upDown.Min());
    if (upDown.Max() != 100)
        out.IntegerProperty(QStringLiteral("Max"), upDown.Max());
    out.IntegerProperty(QStringLiteral("Position"), upDown.Position());
    WriteTabOrder(out, entry);
    out.BooleanProperty(QStringLiteral("Wrap"), false);
}

void WriteTrackBar(TComponentWriter& out, const TOptionControl& entry, const QSlider& slider) {
    WriteGeometry(out, entry);
    WriteText(out, QStringLiteral("Hint"), entry.Hint);
    if (slider.maximum() != 10)
        out.IntegerProperty(QStringLiteral("Max"), slider.maximum());
    if (slider.minimum() != 0)
        out.IntegerProperty(QStringLiteral("Min"), slider.minimum());
    out.IdentProperty(QStringLiteral("Orientation"), QStringLiteral("trHorizontal"));
    WriteParentShowHint(out, entry);
    out.IntegerProperty(QStringLiteral("Frequency"), entry.Frequency);
    out.IntegerProperty(QStringLiteral("Position"), slider.value());
    out.IntegerProperty(QStringLiteral("SelEnd"), 0);
    out.IntegerProperty(QStringLiteral("SelStart"), 0);
    WriteShowHint(out, entry);
    WriteTabOrder(out, entry);
    out.IdentProperty(QStringLiteral("TickMarks"), QStringLiteral("tmBottomRight"));
    out.IdentProperty(QStringLiteral("TickStyle"), QStringLiteral("tsAuto"));
}

// ---- reading ----

[[noreturn]] void Unsuitable(const QString& property) {
    throw EComponentFormat(("unsuitable value for " + property).toStdString());
}

qint64 IntegerOf(const QString& property, const TTaggedValue& value) {
    if (!value.IsInteger())
        Unsuitable(property);
    return value.Integer();
}

// An integer that must lie in [low, high].
int IntegerIn(const QString& property, const TTaggedValue& value, qint64 low, qint64 high) {
    const qint64 number = IntegerOf(property, value);
    if (number < low || number > high)
        Unsuitable(property);
    return int(number);
}

bool BooleanOf(const QString& property, const TTaggedValue& value) {
    if (!value.IsBoolean())
        Unsuitable(property);
    return value.Boolean();
}

const QString& StringOf(const QString& property, const TTaggedValue& value) {
    if (!value.IsString())
        Unsuitable(property);
    // No text of these controls holds a control character; file names with one (a NUL above
    // all) would be cut short by the system.
    if (std::ranges::any_of(value.Text(), [](QChar c) { return c.unicode() < 0x20; }))
        Unsuitable(property);
    return value.Text();
}

const QString& IdentOf(const QString& property, const TTaggedValue& value,
                       std::initializer_list<const char*> allowed) {
    if (!value.IsIdent())
        Unsuitable(property);
    for (const char* name : allowed)
        if (value.Text() == QLatin1String(name))
            return value.Text();
    Unsuitable(property);
}

using TApply = std::function<void(const QString& property, const TTaggedValue& value)>;
using TProperties = QList<std::pair<QString, TApply>>;

// Properties that hold what the window fixes for good (geometry, captions, hints, tab order):
// checked for their type, not applied, so no file can move or relabel a control.
TApply FixedInteger() {
    return [](const QString& property, const TTaggedValue& value) { IntegerOf(property, value); };
}
TApply FixedBoolean() {
    return [](const QString& property, const TTaggedValue& value) { BooleanOf(property, value); };
}
TApply FixedString() {
    return [](const QString& property, const TTaggedValue& value) { StringOf(property, value); };
}
TApply FixedIdent(std::initializer_list<const char*> allowed) {
    const QList<const char*> names(allowed);
    return [names](const QString& property, const TTaggedValue& value) {
        if (!value.IsIdent() || !std::ranges::any_of(names, [&](const char* name) {
                return value.Text() == QLatin1String(name);
            }))
            Unsuitable(property);
    };
}

// A range the window fixes: a file with another one is damaged.
TApply Exactly(int expected) {
    return [expected](const QString& property, const TTaggedValue& value) {
        IntegerIn(property, value, expected, expected);
    };
}

TApply Checked(QAbstractButton& button) {
    return [&button](const QString& property, const TTaggedValue& value) {
        // Checking a radio button unchecks its siblings; a group is never left without a choice.
        button.setChecked(BooleanOf(property, value));
    };
}

TProperties CommonProperties(QWidget& control) {
    return {
        {QStringLiteral("Left"), FixedInteger()},
        {QStringLiteral("Top"), FixedInteger()},
        {QStringLiteral("Width"), FixedInteger()},
        {QStringLiteral("Height"), FixedInteger()},
        {QStringLiteral("TabOrder"), FixedInteger()},
        {QStringLiteral("Tag"), FixedInteger()},
        {QStringLiteral("Enabled"),
         [&control](const QString& property, const TTaggedValue& value) {
             control.setEnabled(BooleanOf(property, value));
         }},
    };
}

TProperties HintProperties() {
    return {
        {QStringLiteral("Hint"), FixedString()},
        {QStringLiteral("ParentShowHint"), FixedBoolean()},
        {QStringLiteral("ShowHint"), FixedBoolean()},
    };
}

TProperties CheckBoxProperties(QCheckBox& box) {
    TProperties properties = HintProperties();
    properties += {
        {QStringLiteral("HelpContext"), FixedInteger()},
        {QStringLiteral("Caption"), FixedString()},
        {QStringLiteral("Checked"), Checked(box)},
        {QStringLiteral("State"),
         [&box](const QString& property, const TTaggedValue& value) {
             // A two-state box: only "checked" is checked.
             box.setChecked(IdentOf(property, value, {"cbUnchecked", "cbChecked", "cbGrayed"}) ==
                            QLatin1String("cbChecked"));
         }},
    };
    return properties;
}

TProperties RadioButtonProperties(QRadioButton& button) {
    TProperties properties = HintProperties();
    properties += {
        {QStringLiteral("Caption"), FixedString()},
        {QStringLiteral("TabStop"), FixedBoolean()},
        {QStringLiteral("Checked"), Checked(button)},
    };
    return properties;
}

TProperties EditProperties(QLineEdit& edit) {
    TProperties properties = HintProperties();
    properties += {
        {QStringLiteral("HelpContext"), FixedInteger()},
        {QStringLiteral("MaxLength"), FixedInteger()},
        {QStringLiteral("Text"),
         [&edit](const QString& property, const TTaggedValue& value) {
             edit.setText(StringOf(property, value));
         }},
    };
    return properties;
}

TProperties MaskEditProperties(QLineEdit& edit) {
    TProperties properties{
        {QStringLiteral("MaxLength"), FixedInteger()},
        {QStringLiteral("EditMask"),
         [&edit](const QString& property, const TTaggedValue& value) {
             // Only the start field's own kind of mask: one to seven required digits.
             static const QRegularExpression digitMask(QStringLiteral("^(0{1,7});1;_$"));
             const QRegularExpressionMatch match = digitMask.match(StringOf(property, value));
             if (!match.hasMatch())
                 Unsuitable(property);
             const QString mask = DigitEditMask(int(match.capturedLength(1)));
             if (edit.inputMask() != mask)
                 edit.setInputMask(mask);
         }},
        {QStringLiteral("Text"),
         [&edit](const QString& property, const TTaggedValue& value) {
             SetMaskedEditText(edit, StringOf(property, value));
         }},
    };
    return properties;
}

TProperties UpDownProperties(TUpDown& upDown) {
    TProperties properties{
        {QStringLiteral("Associate"), FixedIdent({"SVXForm.DigitsEdit", "DigitsEdit"})},
        {QStringLiteral("Wrap"), FixedBoolean()},
        {QStringLiteral("Min"), Exactly(upDown.Min())},
        {QStringLiteral("Max"), Exactly(upDown.Max())},
        {QStringLiteral("Position"),
         [&upDown](const QString& property, const TTaggedValue& value) {
             upDown.SetPosition(IntegerIn(property, value, upDown.Min(), upDown.Max()));
         }},
    };
    return properties;
}

TProperties TrackBarProperties(QSlider& slider) {
    TProperties properties = HintProperties();
    properties += {
        {QStringLiteral("Orientation"), FixedIdent({"trHorizontal", "trVertical"})},
        {QStringLiteral("Frequency"), FixedInteger()},
        {QStringLiteral("SelEnd"), FixedInteger()},
        {QStringLiteral("SelStart"), FixedInteger()},
        {QStringLiteral("TickMarks"), FixedIdent({"tmBottomRight", "tmTopLeft", "tmBoth"})},
        {QStringLiteral("TickStyle"), FixedIdent({"tsNone", "tsAuto", "tsManual"})},
        {QStringLiteral("Min"), Exactly(slider.minimum())},
        {QStringLiteral("Max"), Exactly(slider.maximum())},
        {QStringLiteral("Position"),
         [&slider](const QString& property, const TTaggedValue& value) {
             slider.setValue(IntegerIn(property, value, slider.minimum(), slider.maximum()));
         }},
    };
    return properties;
}

TProperties PropertiesOf(const TOptionControl& entry, QWidget& control) {
    TProperties properties = CommonProperties(control);
    switch (entry.Kind) {
    case K::CheckBox:
        return properties + CheckBoxProperties(static_cast<QCheckBox&>(control));
    case K::RadioButton:
        return properties + RadioButtonProperties(static_cast<QRadioButton&>(control));
    case K::Edit:
        return properties + EditProperties(static_cast<QLineEdit&>(control));
    case K::MaskEdit:
        return properties + MaskEditProperties(static_cast<QLineEdit&>(control));
    case K::UpDown:
        return properties + UpDownProperties(static_cast<TUpDown&>(control));
    case K::TrackBar:
        return properties + TrackBarProperties(static_cast<QSlider&>(control));
    case K::ComboBox:
        break;
    }
    return properties;
}

} // namespace

void WriteControlRecord(TComponentWriter& writer, const TOptionControl& entry,
                        const QWidget& control) {
    writer.BeginRecord(entry.ClassName, entry.Name);
    switch (entry.Kind) {
    case K::CheckBox:
        WriteCheckBox(writer, entry, static_cast<const QCheckBox&>(control));
        break;
    case K::RadioButton:
        WriteRadioButton(writer, entry, static_cast<const QRadioButton&>(control));
        break;
    case K::Edit:
        WriteEdit(writer, entry, static_cast<const QLineEdit&>(control));
        break;
    case K::MaskEdit:
        WriteMaskEdit(writer, entry, static_cast<const QLineEdit&>(control));
        break;
    case K::UpDown:
        WriteUpDown(writer, entry, static_cast<const TUpDown&>(control));
        break;
    case K::TrackBar:
        WriteTrackBar(writer, entry, static_cast<const QSlider&>(control));
        break;
    case K::ComboBox:
        break;
    }
    writer.EndRecord();
}

void ReadControlRecord(TComponentReader& reader, const TOptionControl& entry, QWidget& control) {
    // The name in the record is the control's own in every file the program writes, and no
    // other window of ours could carry it: nothing to rename.
    reader.BeginRecord();
    const TProperties properties = PropertiesOf(entry, control);
    for (QString name = reader.NextPropertyName(); !name.isEmpty();
         name = reader.NextPropertyName()) {
        const auto it = std::ranges::find_if(
            properties, [&name](const auto& property) { return property.first == name; });
        if (it == properties.end())
            throw EComponentFormat(("unknown property " + name).toStdString());
        it->second(name, reader.Value());
    }
    reader.SkipChildren();
}
