// The window as built, before any settings are read: every option control with its caption,
// hint, place, tab order and value. The expectations are written out here on their own, not
// taken from the window's option table.
#include "formfixture.h"
#include "platform/session/programinfo.h"
#include "ui/clickfilter.h"
#include "ui/optioncontrols.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct TExpected {
    const char* Name;
    const char* Parent;
    const char* Caption; // check boxes and radio buttons
    const char* Hint;    // null: no tooltip of its own
    QRect Bounds;
    int TabOrder;
    bool Checked = false;
    const char* Text = nullptr; // edits
    int Position = 0;           // up-down, track bars
    bool Enabled = true;
    int HelpContext = 0;
};

const char* const WavHint = "Enter filename of .wav-file here";

// clang-format off
const TExpected Persisted[] = {
    {"OptActivate", "GroupGeneral", "&Activate", "If checked, SVX will automatically save any grabbed image", {48, 24, 169, 17}, 0, false, nullptr, 0, true, 7},
    {"OptMinToSysT", "GroupGeneral", "&Minimize to system tray", "If checked, hide minimized SVX from task bar, only show in system tray", {48, 40, 161, 17}, 1},
    {"OptStartMinimized", "GroupGeneral", "&Start minimized", "If  checked, start SVX minimized next time ", {48, 56, 161, 17}, 2},
    {"OptAutoStart", "GroupGeneral", "Start SVX on s&ystem startup", nullptr, {48, 72, 177, 17}, 3},
    {"OptBeep1", "TabSetup", "play sound when sta&rt saving to disk", "If checked, make some noise when starting to save", {280, 46, 265, 17}, 2},
    {"OptBeep2", "TabSetup", "play sound when save&d sucessfully", "If checked, make some noise when saved sucessfully", {280, 62, 249, 17}, 3},
    {"BeepStd", "GroupBox3", "Play standard &Windows sound", "Play the standard Windows sound (might be disabled in the Control Panel!)", {40, 48, 217, 17}, 0, true},
    {"BeepPCSpk", "GroupBox3", "Use &PC speaker", "Use the PC speaker. Use with older sound cards", {40, 64, 201, 17}, 1},
    {"BeepWav", "GroupBox3", "Play &custom .wav-files:", "Play custom .wav files for each event", {40, 80, 209, 17}, 2},
    {"Beep1FileName", "PanelSound", nullptr, WavHint, {56, 12, 153, 21}, 0, false, "beep.wav"},
    {"Beep2FileName", "PanelSound", nullptr, WavHint, {56, 44, 153, 21}, 3, false, "click.wav"},
    {"BitmapOut", "TabOutput", ".&bmp", "Sace as a standard Windows .bmp file", {32, 43, 49, 17}, 1},
    {"JpgOut", "TabOutput", ".&jpg", "Save as a JPEG compressed file", {112, 43, 49, 17}, 2, true},
    {"PngOut", "TabOutput", ".&png", "Save as a Portable Network Graphics file", {192, 43, 49, 17}, 3},
    {"NameEdit", "GroupFileName", nullptr, "Enter the base filename here", {72, 16, 73, 21}, 0, false, "SV"},
    {"DigitsUD", "GroupFileName", nullptr, nullptr, {193, 16, 16, 21}, 4, false, nullptr, 4},
    {"OptDigit", "GroupFileName", "starting from", nullptr, {72, 42, 89, 17}, 5, true},
    {"OptDigitFrom", "GroupFileName", nullptr, nullptr, {168, 40, 73, 21}, 7, false, "", 0, false},
    {"OptDigitAuto", "GroupFileName", "automatically", nullptr, {72, 63, 89, 17}, 6},
    {"OutputDirEdit", "GroupFileName", nullptr, "Target directory to store the images in", {72, 96, 129, 21}, 2, false, nullptr, 0, true, 6},
    {"OptResizeUp", "GroupOutputImage", "If smaller, e&xpand images to", "Check if you want to keep images above a certain size", {16, 16, 193, 17}, 0},
    {"OptResizeDown", "GroupOutputImage", "If bigger, &shrink images to", "Check if you want to keep images below a certain size", {16, 32, 201, 17}, 1},
    {"OptAR", "GroupOutputImage", "maintaining &aspect ratio by", "Bitmaps might get distorted (especially caps of windows). To prevent this, check here", {16, 88, 153, 17}, 3},
    {"OptARExp", "GroupOutputImage", "expanding", "Make images bigger than specified above if necessary", {168, 88, 97, 17}, 4, true},
    {"OptARShr", "GroupOutputImage", "shrinking", "Make images smaller than specified above if necessary", {168, 104, 97, 17}, 5},
    {"ThreadPriority", "GroupThreadPriority", nullptr, "Specify priority of save thread here ", {56, 16, 150, 25}, 0, false, nullptr, 3},
    {"JPEG8bit", "TabJPGOpts", "&8 bit - 256 colors", "Use only 256 colors", {32, 80, 113, 17}, 1},
    {"JPEG24bit", "TabJPGOpts", "&24 bit - True Color", "Use full color mode", {32, 104, 113, 17}, 2, true},
    {"JPEGGray", "GroupOtherOptions", "Gr&ayscale", "Enable to save image in greyscale only", {10, 19, 127, 17}, 0},
    {"JPEGProgressive", "GroupOtherOptions", "Progressive en&coding", "Progressive encoding makes progressive image loading possible", {10, 43, 129, 17}, 1},
    {"JPEGQuality", "TabJPGOpts", nullptr, "JPEG compression", {312, 80, 241, 33}, 4, false, nullptr, 100},
};
// clang-format on

class ResourceValues : public testing::Test {
protected:
    TFormUnderTest Window{TFormUnderTest::TStart::AsSecondInstance};
    TSVXForm& Form = *Window.Form;

    QWidget* Control(const char* name) const {
        return Form.findChild<QWidget*>(QString::fromLatin1(name));
    }
};

TEST_F(ResourceValues, EveryPersistedControlStartsWithItsResourceValues) {
    for (const TExpected& expected : Persisted) {
        SCOPED_TRACE(expected.Name);
        QWidget* widget = Control(expected.Name);
        ASSERT_NE(widget, nullptr);
        ASSERT_NE(widget->parentWidget(), nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(expected.Parent));
        EXPECT_EQ(widget->geometry(), expected.Bounds);
        EXPECT_EQ(widget->toolTip(), QString::fromLatin1(expected.Hint ? expected.Hint : ""));
        EXPECT_EQ(widget->isEnabled(), expected.Enabled);
        EXPECT_EQ(widget->property("HelpContext").toInt(), expected.HelpContext);

        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_EQ(box->text(), QString::fromLatin1(expected.Caption));
            EXPECT_EQ(box->isChecked(), expected.Checked);
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            EXPECT_EQ(radio->text(), QString::fromLatin1(expected.Caption));
            EXPECT_EQ(radio->isChecked(), expected.Checked);
            // A radio button is a tab stop exactly when it is checked.
            EXPECT_EQ(bool(radio->focusPolicy() & Qt::TabFocus), expected.Checked);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            if (expected.Text) {
                EXPECT_EQ(edit->text(), QString::fromLatin1(expected.Text));
            }
        } else if (auto* upDown = qobject_cast<TUpDown*>(widget)) {
            EXPECT_EQ(upDown->Min(), 1);
            EXPECT_EQ(upDown->Max(), 7);
            EXPECT_EQ(upDown->Position(), expected.Position);
            EXPECT_EQ(upDown->Associate(), Form.DigitsEdit);
        } else if (auto* slider = qobject_cast<QSlider*>(widget)) {
            EXPECT_EQ(slider->value(), expected.Position);
        } else {
            ADD_FAILURE() << "unexpected kind " << widget->metaObject()->className();
        }
    }
}

TEST_F(ResourceValues, ValuesTheGenericCheckCannotSee) {
    EXPECT_EQ(Form.OutputDirEdit->text(), DefaultOutputFolder());
    EXPECT_TRUE(Form.OutputDirEdit->text().endsWith(QLatin1Char('/')));
    EXPECT_EQ(Form.NameEdit->maxLength(), 8);
    EXPECT_EQ(Form.OptDigitFrom->inputMask(), QStringLiteral("9999;_"));
    EXPECT_EQ(Form.OptDigitFrom->displayText(), QStringLiteral("____"));
    EXPECT_EQ(Form.DigitsEdit->text(), QStringLiteral("4"));
    EXPECT_TRUE(Form.DigitsEdit->isReadOnly());
    EXPECT_EQ(Form.ThreadPriority->minimum(), 0);
    EXPECT_EQ(Form.ThreadPriority->maximum(), 6);
    EXPECT_EQ(Form.ThreadPriority->tickInterval(), 1);
    EXPECT_EQ(Form.JPEGQuality->minimum(), 1);
    EXPECT_EQ(Form.JPEGQuality->maximum(), 100);
    EXPECT_EQ(Form.JPEGQuality->tickInterval(), 5);

    const QStringList minSizes{"any size",  "320 x 200",  "640 x 480",
                               "800 x 600", "1024 x 768", "1280 x 1024"};
    const QStringList targets{"320x200", "640x480", "800x600", "960x720", "1024x768", "1280x1024"};
    for (auto [combo, items, hint] :
         {std::tuple{Form.OptMinImageSize, minSizes,
                     "Specify minimum bitmap size that SVX will consider a screenshot"},
          std::tuple{Form.OptResizeTo, targets, "Select appropriate image size"}}) {
        SCOPED_TRACE(combo->objectName().toStdString());
        ASSERT_EQ(combo->count(), items.size());
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_EQ(combo->itemText(i), items[i]);
        EXPECT_EQ(combo->currentIndex(), -1);
        EXPECT_FALSE(combo->isEditable());
        EXPECT_EQ(combo->toolTip(), QString::fromLatin1(hint));
    }
}

TEST_F(ResourceValues, WindowPagesAndOtherControls) {
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("Snapvault"));
    EXPECT_EQ(Form.size(), QSize(614, 259));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_TRUE(Form.windowFlags() & Qt::WindowContextHelpButtonHint);

    const QStringList captions{"&General", "&Output", "JP&EG options", "&Info", "abou&t"};
    const QStringList pages{"TabSetup", "TabOutput", "TabJPGOpts", "TabInfo", "TabAbout"};
    ASSERT_EQ(Form.SVXPageCtrl->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Form.SVXPageCtrl->tabText(i), captions[i]);
        EXPECT_EQ(Form.SVXPageCtrl->widget(i)->objectName(), pages[i]);
    }
    EXPECT_EQ(Form.SVXPageCtrl->currentIndex(), 0);

    EXPECT_EQ(Form.FileNameEx->text(), QStringLiteral("SV0000.bmp"));
    EXPECT_TRUE(Form.FileNameEx->font().fixedPitch() ||
                QFontInfo(Form.FileNameEx->font()).fixedPitch());
    for (QLabel* zero : {Form.StatCount, Form.StatBytes})
        EXPECT_EQ(zero->text(), QStringLiteral("0"));
    for (QLabel* none : {Form.StatX, Form.StatY, Form.StatForm, Form.StatFilename})
        EXPECT_EQ(none->text(), QStringLiteral("n/a"));
    EXPECT_EQ(Form.LabVersion->text(), QStringLiteral("n/i"));
    EXPECT_EQ(Form.ChBeep1->toolTip(), QStringLiteral("Choose .wav-file"));
    EXPECT_EQ(Form.ChBeep2->toolTip(), QStringLiteral("choose .wav-file"));
    EXPECT_EQ(Form.Play1->toolTip(), QStringLiteral("test .wav-file"));
    EXPECT_EQ(Form.ChoutDir->toolTip(), QStringLiteral("Browse for directory"));
    EXPECT_EQ(Form.RestoreDefaults->text(), QStringLiteral("&Restore defaults"));
    // The JPEG page names its track bar's ends and nothing else.
    QStringList jpegTexts;
    for (const QLabel* label : Form.TabJPGOpts->findChildren<QLabel*>())
        jpegTexts.append(label->text());
    jpegTexts.sort();
    EXPECT_EQ(jpegTexts, QStringList({"JPEG compression factor", "high (low image quality)",
                                      "low (high image quality)"}));
    EXPECT_EQ(Form.Thumbnail->size(), QSize(209, 161));
    EXPECT_FALSE(Form.Image1->pixmap().isNull());
    EXPECT_FALSE(Form.Image2->pixmap().isNull());
}

TEST_F(ResourceValues, TabOrderFollowsTheTableWithinEachParent) {
    // Position of every widget in the window's focus chain.
    QHash<const QWidget*, int> chainIndex;
    int index = 0;
    for (QWidget* w = Form.nextInFocusChain(); w != &Form; w = w->nextInFocusChain())
        chainIndex.insert(w, index++);

    QMap<QString, QMap<int, const QWidget*>> byParent;
    for (const TExpected& expected : Persisted)
        byParent[expected.Parent].insert(expected.TabOrder, Control(expected.Name));
    for (auto parent = byParent.cbegin(); parent != byParent.cend(); ++parent) {
        SCOPED_TRACE(parent.key().toStdString());
        int previous = -1;
        for (const QWidget* widget : parent.value()) {
            ASSERT_TRUE(chainIndex.contains(widget));
            EXPECT_GT(chainIndex.value(widget), previous) << widget->objectName().toStdString();
            previous = chainIndex.value(widget);
        }
    }
}

// Without a label as buddy, an edit would be named after its group or not at all.
// clang-format off
const std::pair<const char*, const char*> AccessibleNames[] = {
    {"Beep1FileName", "start:"}, {"Beep2FileName", "finished:"}, {"NameEdit", "Filename"}, {"DigitsEdit", "digits"},
    {"OptDigitFrom", "starting from"}, {"OutputDirEdit", "Directory"}, {"JPEGQuality", "JPEG compression factor"},
    {"OptMinImageSize", "Save only if image is"}, {"ChBeep1", "Choose .wav-file"}, {"ChBeep2", "Choose .wav-file"},
    {"Play1", "Test .wav-file"}, {"Play2", "Test .wav-file"}, {"ChoutDir", "Browse for directory"},
    {"DigitsUD", "digits"}, {"ThreadPriority", "Thread priority"}, {"Image1", "Snapvault logo"},
    {"Image2", "libmng web page"}};
// clang-format on

TEST_F(ResourceValues, EveryControlHasAnAccessibleNameEditsThatOfTheirLabel) {
    const auto nameOf = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).toStdString();
    };
    for (auto [control, name] : AccessibleNames)
        EXPECT_EQ(nameOf(Control(control)), name) << control;
    for (QToolButton* arrow : Form.DigitsUD->findChildren<QToolButton*>())
        EXPECT_EQ(nameOf(arrow),
                  arrow->arrowType() == Qt::UpArrow ? "Increase digits" : "Decrease digits");
    for (QWidget* widget : Form.SVXPageCtrl->findChildren<QWidget*>()) {
        const bool clicked =
            widget->inherits("QAbstractButton") ||
            widget->findChild<TClickFilter*>(QString(), Qt::FindDirectChildrenOnly);
        // Drop-down lists' pop-ups are windows of their own, named by the toolkit.
        if (widget->window() == &Form && widget->isEnabled() &&
            (widget->focusPolicy() != Qt::NoFocus || clicked)) {
            EXPECT_NE(nameOf(widget), "") << widget->metaObject()->className() << " in "
                                          << widget->parentWidget()->objectName().toStdString();
        }
    }
}

TEST_F(ResourceValues, ActionsAreNamedAndOnlyFinalizeHasAShortcut) {
    ASSERT_EQ(Form.ActionList1.size(), 20);
    for (QAction* action : Form.ActionList1) {
        EXPECT_EQ(action->text(), action->objectName());
        EXPECT_TRUE(Form.actions().contains(action));
        if (action != Form.AFinalizeInit) {
            EXPECT_TRUE(action->shortcut().isEmpty()) << action->objectName().toStdString();
        }
    }
    ASSERT_NE(Form.AFinalizeInit, nullptr);
    EXPECT_EQ(Form.AFinalizeInit->objectName(), QStringLiteral("AFinalizeInit"));
    EXPECT_EQ(Form.AFinalizeInit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+K")));
    ASSERT_NE(Form.APrepareInit, nullptr);
    EXPECT_EQ(Form.APrepareInit->objectName(), QStringLiteral("APrepareInit"));
}

// The settings file depends on the table's order and class names.
TEST(OptionTable, PersistedControlsInRecordOrderWithTheirClassNames) {
    const QStringList records{
        "OptActivate:TCheckBox",     "OptMinToSysT:TCheckBox",   "OptStartMinimized:TCheckBox",
        "OptAutoStart:TCheckBox",    "OptBeep1:TCheckBox",       "OptBeep2:TCheckBox",
        "BeepStd:TRadioButton",      "BeepPCSpk:TRadioButton",   "BeepWav:TRadioButton",
        "Beep1FileName:TEdit",       "Beep2FileName:TEdit",      "BitmapOut:TRadioButton",
        "JpgOut:TRadioButton",       "PngOut:TRadioButton",      "NameEdit:TEdit",
        "DigitsUD:TUpDown",          "OptDigit:TRadioButton",    "OptDigitFrom:TMaskEdit",
        "OptDigitAuto:TRadioButton", "OutputDirEdit:TEdit",      "OptResizeUp:TCheckBox",
        "OptResizeDown:TCheckBox",   "OptAR:TCheckBox",          "OptARExp:TRadioButton",
        "OptARShr:TRadioButton",     "ThreadPriority:TTrackBar", "JPEG8bit:TRadioButton",
        "JPEG24bit:TRadioButton",    "JPEGGray:TCheckBox",       "JPEGProgressive:TCheckBox",
        "JPEGQuality:TTrackBar"};
    QStringList persisted;
    for (const TOptionControl& option : OptionControls()) {
        if (option.Persisted)
            persisted.append(option.Name + QLatin1Char(':') + option.ClassName);
    }
    EXPECT_EQ(persisted, records);
    EXPECT_EQ(OptionControls().size(), 33);

    const TOptionControl* from = FindOptionControl(u"OptDigitFrom");
    ASSERT_NE(from, nullptr);
    EXPECT_EQ(from->EditMask, QStringLiteral("0000;1;_"));
    EXPECT_EQ(from->Text, QStringLiteral("    "));
    EXPECT_EQ(FindOptionControl(u"NoSuchControl"), nullptr);
}

} // namespace
