// SVX.dat through the real window: the record format byte for byte, the round trip of every
// control state, the reader's failures, and start at login.
#include "formfixture.h"

#include <QAction>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString FirstRunText =
    QStringLiteral("Looks like the first run. Assuming default settings; please check.");

QByteArray Short(const char* text) {
    return char(qstrlen(text)) + QByteArray(text);
}

// Where the record of the numbered control (1-based, in file order) starts.
qsizetype RecordOffset(const QByteArray& file, int record) {
    qsizetype at = 21;
    for (int i = 1; i < record; ++i)
        at = file.indexOf("TPF0", at + 4);
    return at;
}

bool HasFirstRunBox(const TFakeMessageBoxes& boxes) {
    return std::ranges::any_of(boxes.Shown, [](const TBoxRequest& box) {
        return box.Text == FirstRunText && box.Caption == "SVX.dat not found or wrong version" &&
               box.Icon == TBoxIcon::None && box.Buttons == TBoxButtons::Ok && !box.Owner;
    });
}

// The factory values are in force (a sample of them, one per kind of control).
void ExpectFactoryValues(TSVXForm& form) {
    EXPECT_TRUE(form.OptActivate->isChecked());
    EXPECT_TRUE(form.JpgOut->isChecked());
    EXPECT_TRUE(form.OptDigitAuto->isChecked());
    EXPECT_EQ(form.NameEdit->text(), "SVX");
    EXPECT_EQ(form.OptDigitFrom->text(), "0000");
    EXPECT_FALSE(form.OptDigitFrom->isEnabled());
    EXPECT_EQ(form.OptResizeTo->currentIndex(), 4);
    EXPECT_EQ(form.OptMinImageSize->currentIndex(), 1);
    EXPECT_TRUE(form.JPEGProgressive->isChecked());
}

TEST(SettingsFile, WorkedExampleRecordIsByteExact) {
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstRun);
    const QByteArray file = window.Form->SettingsBytes();
    const QByteArray expected =
        "TPF0" + Short("TCheckBox") + Short("OptStartMinimized") + Short("Left") + "\x02\x30" +
        Short("Top") + "\x02\x38" + Short("Width") + QByteArray("\x03\xA1\x00", 3) +
        Short("Height") + "\x02\x11" + Short("Hint") + "\x06" +
        Short("If  checked, start SVX minimized next time ") + Short("Caption") + "\x06" +
        Short("&Start minimized") + Short("Checked") + "\x09" + Short("ParentShowHint") + "\x08" +
        Short("ShowHint") + "\x09" + Short("State") + "\x07" + Short("cbChecked") +
        Short("TabOrder") + "\x02\x02" + QByteArray(2, '\0');
    ASSERT_EQ(expected.size(), 204);
    EXPECT_EQ(file.mid(RecordOffset(file, 3), 204), expected);
    // Header: first-run flag, the version padded with zeros, the two list indices.
    EXPECT_EQ(file.at(0), 0);
    EXPECT_EQ(file.mid(1, 12), ProgramVersion().toLatin1().leftJustified(12, '\0'));
    EXPECT_EQ(file.mid(13, 8), QByteArray("\x04\0\0\0\x01\0\0\0", 8));
    EXPECT_EQ(file.count("TPF0"), 31);
}

// Every kind of control in its states survives a write and a new start.
TEST(SettingsFile, EveryControlStateRoundTrips) {
    const QString longText = "/" + QString(300, 'd');
    struct TCase {
        const char* Name;
        std::function<void(TSVXForm&)> Set;
        std::function<bool(TSVXForm&)> Holds;
        bool WrittenAgainUnchanged = true;
    };
    const std::vector<TCase> cases = {
        {"unchecked and checked boxes",
         [](TSVXForm& f) { f.OptActivate->setChecked(false), f.JPEGGray->setChecked(true); },
         [](TSVXForm& f) { return !f.OptActivate->isChecked() && f.JPEGGray->isChecked(); }},
        {"a radio group's choice",
         [](TSVXForm& f) { f.PngOut->setChecked(true), f.BeepWav->setChecked(true); },
         [](TSVXForm& f) {
             return f.PngOut->isChecked() && !f.JpgOut->isChecked() && f.BeepWav->isChecked();
         }},
        {"disabled controls", [](TSVXForm& f) { f.OptAR->setChecked(false); },
         [](TSVXForm& f) { return !f.OptARExp->isEnabled() && !f.OptARShr->isEnabled(); }},
        {"an empty text keeps the window's own", [](TSVXForm& f) { f.NameEdit->setText(""); },
         [](TSVXForm& f) { return f.NameEdit->text() == "SV"; }, false},
        {"a text of 256 bytes and more", [&](TSVXForm& f) { f.OutputDirEdit->setText(longText); },
         [&](TSVXForm& f) { return f.OutputDirEdit->text() == longText; }},
        {"non-ASCII text", [](TSVXForm& f) { f.Beep1FileName->setText("Glöckchen.wav"); },
         [](TSVXForm& f) { return f.Beep1FileName->text() == "Glöckchen.wav"; }},
        // Stored with its blanks; the start-up writes the number read from it in full.
        {"the start field with its blanks, chosen",
         [](TSVXForm& f) { f.OptDigit->setChecked(true), f.OptDigitFrom->setText("12"); },
         [](TSVXForm& f) {
             return f.OptDigitFrom->text() == "0012" && f.OptDigitFrom->isEnabled();
         },
         false},
        {"the digit count", [](TSVXForm& f) { f.DigitsUD->SetPosition(6); },
         [](TSVXForm& f) {
             return f.DigitsUD->Position() == 6 && f.OptDigitFrom->inputMask() == "999999;_";
         }},
        {"track bars at their ends",
         [](TSVXForm& f) { f.ThreadPriority->setValue(0), f.JPEGQuality->setValue(1); },
         [](TSVXForm& f) { return f.ThreadPriority->value() == 0 && f.JPEGQuality->value() == 1; }},
        {"track bars at their other ends",
         [](TSVXForm& f) { f.ThreadPriority->setValue(6), f.JPEGQuality->setValue(100); },
         [](TSVXForm& f) {
             return f.ThreadPriority->value() == 6 && f.JPEGQuality->value() == 100;
         }},
        {"list choices",
         [](TSVXForm& f) {
             f.OptResizeTo->setCurrentIndex(5), f.OptMinImageSize->setCurrentIndex(0);
         },
         [](TSVXForm& f) {
             return f.OptResizeTo->currentIndex() == 5 && f.OptMinImageSize->currentIndex() == 0;
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QByteArray stored;
        {
            TFormUnderTest first(TFormUnderTest::TStart::AsFirstRun);
            c.Set(*first.Form);
            stored = first.Form->SettingsBytes();
        }
        TFormUnderTest second(TFormUnderTest::TStart::AsFirstInstance);
        second.Restart(stored);
        EXPECT_TRUE(second.Platform.Boxes.Shown.isEmpty());
        EXPECT_TRUE(c.Holds(*second.Form));
        // What was read is written again unchanged.
        if (c.WrittenAgainUnchanged) {
            EXPECT_EQ(second.Form->SettingsBytes(), stored);
        }
    }
}

TEST(SettingsFile, DamagedFilesTakeTheFirstRunPath) {
    QByteArray valid;
    {
        TFormUnderTest first(TFormUnderTest::TStart::AsFirstRun);
        first.Form->NameEdit->setText("Kept");
        first.Form->BitmapOut->setChecked(true);
        valid = first.Form->SettingsBytes();
    }
    auto replaced = [&](qsizetype at, const QByteArray& what) {
        return QByteArray(valid).replace(at, what.size(), what);
    };
    auto withVersion = [&](const QByteArray& version) {
        return replaced(1, version.leftJustified(12, '\0', true));
    };
    const qsizetype record1 = RecordOffset(valid, 1);
    const QByteArray checkedProperty = Short("Checked") + "\x09";
    const struct {
        const char* Why;
        std::optional<QByteArray> File; // nothing: no file at all
    } cases[] = {
        {"missing file", std::nullopt},
        {"first byte 1", replaced(0, "\x01")},
        {"another version", withVersion("9.9")},
        {"a version of 13 characters can never match", withVersion("1234567890123")},
        {"cut inside record 20", valid.left(RecordOffset(valid, 20) + 30)},
        {"bad signature", replaced(record1, "TPF1")},
        {"unknown property", QByteArray(valid).replace(checkedProperty, Short("Chucked") + "\x09")},
        {"unsuitable value",
         QByteArray(valid).replace(checkedProperty, Short("Checked") + "\x02\x01")},
        {"list index 6", replaced(13, QByteArray("\x06\0\0\0", 4))},
        {"negative list index", replaced(17, QByteArray("\xff\xff\xff\xff", 4))},
        {"position out of range",
         QByteArray(valid).replace(Short("Position") + "\x02\x04", Short("Position") + "\x02\x09")},
        {"huge text length",
         QByteArray(valid).replace(Short("Text") + "\x06" + Short("Kept"),
                                   Short("Text") + QByteArray("\x0c\xff\xff\xff\x7fKept", 9))},
        {"empty file", QByteArray()},
        // A NUL in the base name once made every candidate name look taken: a hang.
        {"a control character in a text",
         QByteArray(valid).replace(Short("Kept"), QByteArray("\x04Ke\0t", 5))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance);
        window.Restart(c.File);
        EXPECT_TRUE(HasFirstRunBox(window.Platform.Boxes));
        ExpectFactoryValues(*window.Form);
        // A damaged file's values do not survive, not even those read before the damage.
        EXPECT_EQ(window.Form->NameEdit->text(), "SVX");
    }
    // The file itself, unchanged, is read without a word.
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance);
    window.Restart(valid);
    EXPECT_TRUE(window.Platform.Boxes.Shown.isEmpty());
    EXPECT_EQ(window.Form->NameEdit->text(), "Kept");
    EXPECT_TRUE(window.Form->BitmapOut->isChecked());
}

TEST(SettingsFile, ReaderAcceptsThePrefixByteAndOtherIntegerTags) {
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstRun);
    window.Form->PngOut->setChecked(true);
    QByteArray file = window.Form->SettingsBytes();
    // Record 1 with a prefix byte (flag 2: a child position follows) and Left as a 4-byte integer.
    const qsizetype record1 = RecordOffset(file, 1);
    file.insert(record1 + 4, QByteArray("\xF2\x02\x05", 3));
    file.replace(Short("Left") + "\x02\x30", Short("Left") + QByteArray("\x04\x30\0\0\0", 5));
    window.Restart(file);
    EXPECT_TRUE(window.Platform.Boxes.Shown.isEmpty());
    EXPECT_TRUE(window.Form->PngOut->isChecked());
}

TEST(SettingsFile, CannotSaveBoxAndShutdownGoesOn) {
    auto window = std::make_unique<TFormUnderTest>(TFormUnderTest::TStart::AsFirstRun);
    // A file where the settings folder should be: nothing can be written below it.
    const QString folder = QFileInfo(SettingsFilePath()).absolutePath();
    QDir(folder).removeRecursively();
    QDir().mkpath(QFileInfo(folder).absolutePath());
    ASSERT_TRUE(Touch(folder));
    window->Form.reset();
    const QList<TBoxRequest>& shown = window->Platform.Boxes.Shown;
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last().Text,
              "Cannot save your settings. Check write permissions and\nmake "
              "sure the working directory is set correctly to avoid this error.");
    EXPECT_EQ(shown.last().Caption, "Unable to write SVX.dat file");
    EXPECT_EQ(shown.last().Icon, TBoxIcon::None);
    EXPECT_FALSE(window->Platform.Instance.Locked) << "the shutdown stopped at the box";
}

TEST(StartAtLogin, FollowsTheBoxOnlyWhereThisVersionIsInstalled) {
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed" : "not installed");
        TFormUnderTest window(TFormUnderTest::TStart::AsFirstRun, [&](TFakePlatform& platform) {
            platform.AutoStart.Installed = installed;
        });
        TSVXForm& form = *window.Form;
        TFakeAutoStart& autoStart = window.Platform.AutoStart;
        // The factory values check the box, which writes the entry; without the installation
        // the start-up takes it back and greys the box out.
        EXPECT_EQ(form.OptAutoStart->isChecked(), installed);
        EXPECT_EQ(form.OptAutoStart->isEnabled(), installed);
        EXPECT_EQ(autoStart.EntryProgram.has_value(), installed);
        if (installed) {
            EXPECT_EQ(*autoStart.EntryProgram, QCoreApplication::applicationFilePath());
            form.OptAutoStart->setChecked(false);
            EXPECT_FALSE(autoStart.EntryProgram);
            form.findChild<QAction*>("AAutoStart")->trigger();
            EXPECT_FALSE(autoStart.EntryProgram) << "the action follows the box";
            form.OptAutoStart->setChecked(true);
            EXPECT_TRUE(autoStart.EntryProgram);
        }
        // A failure is told, and the click goes on.
        autoStart.Failure = "Cannot remove the autostart entry /x: denied";
        form.OptAutoStart->setChecked(false);
        if (installed) {
            ASSERT_FALSE(window.Platform.Boxes.Shown.isEmpty());
            EXPECT_EQ(window.Platform.Boxes.Shown.last().Text, autoStart.Failure);
        }
        EXPECT_FALSE(form.OptAutoStart->isChecked());
        autoStart.Failure.clear();
        // An installation removed while running: the entry goes at shutdown.
        autoStart.EntryProgram = "leftover";
        autoStart.Installed = false;
        window.Form.reset();
        EXPECT_FALSE(autoStart.EntryProgram);
    }
}

TEST(StartAtLogin, ReadingACheckedBoxWritesTheEntry) {
    QByteArray stored;
    {
        TFormUnderTest first(TFormUnderTest::TStart::AsFirstRun,
                             [](TFakePlatform& platform) { platform.AutoStart.Installed = true; });
        stored = first.Form->SettingsBytes();
    }
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance,
                          [&](TFakePlatform& platform) { platform.AutoStart.Installed = true; });
    window.Platform.AutoStart.EntryProgram.reset();
    window.Restart(stored);
    EXPECT_TRUE(window.Platform.AutoStart.EntryProgram);
}

TEST(FactoryValues, JpegResetChangesOnlyTheJpegPage) {
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstRun);
    TSVXForm& form = *window.Form;
    form.JPEGQuality->setValue(20);
    form.JPEGGray->setChecked(true);
    form.JPEGProgressive->setChecked(false);
    form.JPEG8bit->setChecked(true);
    form.NameEdit->setText("Other");
    form.RestoreDefaults->click();
    EXPECT_EQ(form.JPEGQuality->value(), 100);
    EXPECT_FALSE(form.JPEGGray->isChecked());
    EXPECT_TRUE(form.JPEGProgressive->isChecked());
    EXPECT_TRUE(form.JPEG24bit->isChecked());
    EXPECT_FALSE(form.JPEG8bit->isChecked());
    EXPECT_EQ(form.NameEdit->text(), "Other");
    // A first run greets once, then applies every factory value.
    EXPECT_TRUE(HasFirstRunBox(window.Platform.Boxes));
    EXPECT_EQ(window.Platform.Boxes.Shown.size(), 1);
    EXPECT_FALSE(form.isMinimized()) << "a first run never starts hidden";
}

} // namespace

TEST(FactoryValues, FinalizeLeavesFactorySettingsThatTheNextStartRejects) {
    TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance);
    TSVXForm& form = *window.Form;
    form.NameEdit->setText("Mine");
    QAction* finalize = form.findChild<QAction*>("AFinalizeInit");
    finalize->trigger(); // not armed: nothing
    EXPECT_TRUE(window.Platform.Boxes.Shown.isEmpty());
    form.findChild<QAction*>("APrepareInit")->trigger();
    window.Platform.Boxes.Answers.push_back(TBoxResult::No);
    finalize->trigger();
    EXPECT_EQ(form.NameEdit->text(), "Mine");
    finalize->trigger(); // answered Yes
    ASSERT_EQ(window.Platform.Boxes.Shown.size(), 2);
    EXPECT_EQ(window.Platform.Boxes.Shown.last().Text, "Really finalize?");
    EXPECT_EQ(form.NameEdit->text(), "SVX");
    EXPECT_EQ(form.SettingsBytes().at(0), 1);
    window.Form.reset(); // writes the settings
    window.Form = std::make_unique<TSVXForm>(QStringList{});
    EXPECT_TRUE(HasFirstRunBox(window.Platform.Boxes));
}
