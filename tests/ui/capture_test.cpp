// The capture sequence driven through the fake clipboard: the gate, the labels, the save
// threads and their completion, as the window does them.
#include "app/splash.h"
#include "capture/savebudget.h"
#include "formfixture.h"
#include "platform/reporterror.h"
#include "testenvironment.h"
#include "waituntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <cerrno>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QImage Picture(int w, int h, QRgb colour = qRgb(40, 80, 120)) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    return image;
}

class Capture : public ::testing::Test {
protected:
    explicit Capture(const std::function<void(TFakePlatform&)>& prepare = nullptr)
        : Window(TFormUnderTest::TStart::AsFirstInstance, prepare), Form(*Window.Form) {
        Output = Window.Folder() + QStringLiteral("/out");
        QDir().mkpath(Output);
        Form.OutputDirEdit->setText(Output);
        Form.BitmapOut->setChecked(true);
    }

    TFakeClipboardChain& Clipboard() { return Window.Platform.Clipboard; }
    QList<TBoxRequest>& Boxes() { return Window.Platform.Boxes.Shown; }

    // Runs the event loop until every save has completed.
    void WaitForSaves() {
        RunUntil([this] { return Form.RunningSaves == 0; });
        ASSERT_EQ(Form.RunningSaves, 0);
    }

    QStringList Files() const {
        return QDir(Output).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    TFormUnderTest Window;
    TSVXForm& Form;
    QString Output;
};

// Started with capture on (as settings may bring it) and a picture already on the clipboard.
class CaptureStartedActive : public Capture {
protected:
    CaptureStartedActive()
        : Capture([](TFakePlatform& platform) {
              platform.Clipboard.OfferImage = true;
              platform.Clipboard.Image = Picture(8, 6);
              platform.Clipboard.BeforeJoin = [] {
                  for (QWidget* widget : QApplication::topLevelWidgets())
                      if (auto* form = qobject_cast<TSVXForm*>(widget))
                          form->OptActivate->setChecked(true);
              };
          }) {}
};

TEST_F(CaptureStartedActive, JoiningSwallowsExactlyOneNotice) {
    // Joining announced the content that was there before: swallowed, nothing captured.
    EXPECT_TRUE(Clipboard().Joined);
    ASSERT_TRUE(Form.OptActivate->isChecked());
    EXPECT_FALSE(Form.IgnoreNextClipboardChange);
    EXPECT_TRUE(Boxes().isEmpty());
    EXPECT_EQ(Form.StatX->text(), "n/a");
    Clipboard().SetImage(Picture(8, 6));
    WaitForSaves();
    EXPECT_EQ(Files(), QStringList{"SV0000.bmp"});
}

TEST_F(Capture, InactiveOrNonImageChangesDoNothing) {
    Clipboard().SetImage(Picture(8, 6)); // inactive
    Form.OptActivate->setChecked(true);
    Clipboard().SetText();
    WaitForSaves();
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(Form.StatX->text(), "n/a");
    EXPECT_EQ(Form.StatForm->text(), "n/a");
    EXPECT_EQ(Form.StatCount->text(), "0");
    EXPECT_TRUE(Boxes().isEmpty());
}

TEST_F(Capture, FailedTransferShowsTheErrorAndChangesNothing) {
    Form.OptActivate->setChecked(true);
    errno = EACCES; // whatever happened before must not colour the box
    Clipboard().SetBrokenImage();
    ASSERT_EQ(Boxes().size(), 1);
    EXPECT_EQ(Boxes()[0].Text, "Error transferring data from clipboard");
    EXPECT_EQ(Boxes()[0].Caption, "An error has occurred");
    EXPECT_EQ(Boxes()[0].Owner, nullptr);
    EXPECT_EQ(Form.StatX->text(), "n/a");
    EXPECT_EQ(Form.StatFilename->text(), "n/a");
    EXPECT_EQ(Form.RunningSaves, 0);
    EXPECT_TRUE(Files().isEmpty());
}

TEST_F(Capture, LabelsShowThePictureAsCaptured) {
    Form.OptActivate->setChecked(true);
    Form.OptResizeTo->setCurrentIndex(0); // 320x200
    Form.OptResizeDown->setChecked(true);
    Clipboard().SetImage(Picture(640, 480));
    EXPECT_EQ(Form.StatX->text(), "640");
    EXPECT_EQ(Form.StatY->text(), "480");
    EXPECT_EQ(Form.StatForm->text(), "Windows Bitmap (.bmp)");
    EXPECT_EQ(Form.StatFilename->text(), Output + "/SV0000.bmp");
    EXPECT_EQ(Form.LastFileName, Output + "/SV0000.bmp");
    // The thumbnail shows the captured proportions at the control's size.
    EXPECT_EQ(Form.Thumbnail->pixmap().size(), QSize(209, 156));
    WaitForSaves();
    EXPECT_EQ(QImage(Output + "/SV0000.bmp").size(), QSize(320, 200));

    Form.JpgOut->setChecked(true);
    Clipboard().SetImage(Picture(10, 10));
    EXPECT_EQ(Form.StatForm->text(), "JPEG (.jpg)");
    Form.PngOut->setChecked(true);
    Clipboard().SetImage(Picture(10, 10));
    EXPECT_EQ(Form.StatForm->text(), "Portable Network Graphivs (.png)");
    WaitForSaves();
}

TEST_F(Capture, SmallPicturesAreDroppedUnseen) {
    Form.OptActivate->setChecked(true);
    Form.OptMinImageSize->setCurrentIndex(2); // 640 x 480
    Clipboard().SetImage(Picture(639, 1000));
    Clipboard().SetImage(Picture(1000, 479));
    WaitForSaves();
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(Form.StatX->text(), "n/a");
    EXPECT_TRUE(Form.Thumbnail->pixmap().isNull());
    Clipboard().SetImage(Picture(640, 480));
    WaitForSaves();
    EXPECT_EQ(Files(), QStringList{"SV0000.bmp"});
}

TEST_F(Capture, OverlappingSavesGetDistinctNamesAndAllComplete) {
    Form.OptActivate->setChecked(true);
    for (int i = 0; i < 5; ++i)
        Clipboard().SetImage(Picture(300 + i, 200, qRgb(i * 40, 0, 0)));
    EXPECT_EQ(Form.RunningSaves + Form.SavedCount, 5);
    WaitForSaves();
    EXPECT_EQ(Files(),
              (QStringList{"SV0000.bmp", "SV0001.bmp", "SV0002.bmp", "SV0003.bmp", "SV0004.bmp"}));
    EXPECT_EQ(Form.SavedCount, 5);
    EXPECT_EQ(Form.StatCount->text(), "5");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(QImage(Output + QStringLiteral("/SV000%1.bmp").arg(i)).width(), 300 + i);
}

TEST_F(Capture, StatisticsCountFilesWithTheLocalesGrouping) {
    const TScopedSetting locale(QLocale(QLocale::English, QLocale::UnitedStates));
    Form.OptActivate->setChecked(true);
    // The offscreen display is 32-bit: 54 + 4000 x 682 = 2,728,054 bytes.
    Clipboard().SetImage(Picture(1000, 682));
    WaitForSaves();
    EXPECT_EQ(Form.StatCount->text(), "1");
    EXPECT_EQ(Form.StatBytes->text(), "2,728,054");
    EXPECT_EQ(Form.SavedBytes, 2728054);
}

// The desktop's clipboard keeper offers the last picture again when the program that copied it
// quits: that adds no file. Anything that makes the same picture a new file again does.
TEST_F(Capture, ReofferOfTheLastFilesPictureAddsNothing) {
    Form.OptActivate->setChecked(true);
    const QImage a = Picture(8, 6, qRgb(1, 2, 3));
    const QString missing = Output + "/missing";
    struct TCase {
        const char* Name;
        std::function<void()> Between; // what happens between the first copy and the second
        bool Wait;                     // whether the first save has ended by then
        int Saves;                     // saves started, failed ones included
        bool FailFirst = false;        // the first save goes to a folder not there yet
        bool Unhashed = false;         // no fingerprint can be had for either copy
    } const cases[] = {
        {"its owner quit", [] {}, true, 1},
        {"while its save still runs", [] {}, false, 1},
        {"an emptied clipboard in between", [&] { Clipboard().SetText(); }, true, 1},
        {"another picture in between", [&] { Clipboard().SetImage(Picture(8, 6)); }, true, 3},
        {"its file deleted", [&] { QFile::remove(Output + "/SV0000.bmp"); }, true, 2},
        {"its file emptied", [&] { QFile::resize(Output + "/SV0000.bmp", 0); }, true, 2},
        {"the format changed", [&] { Form.PngOut->setChecked(true); }, true, 2},
        {"its save failed", [&] { QDir().mkpath(missing); }, true, 2, true},
        {"no fingerprint for it", [] {}, true, 2, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QDir(Output).removeRecursively();
        QDir().mkpath(Output);
        Form.BitmapOut->setChecked(true);
        Form.OutputDirEdit->setText(c.FailFirst ? missing : Output);
        const int before = Form.SavedCount;
        Boxes().clear();
        Clipboard().Unhashed = c.Unhashed;
        Clipboard().SetImage(a);
        if (c.Wait)
            WaitForSaves();
        c.Between();
        Clipboard().SetImage(a);
        WaitForSaves();
        EXPECT_EQ(Form.SavedCount - before, c.Saves);
        EXPECT_EQ(Boxes().size(), c.FailFirst ? 1 : 0);
    }
}

TEST_F(Capture, FailedSaveIsCountedButAddsNoBytes) {
    Form.OptActivate->setChecked(true);
    Form.OutputDirEdit->setText(Output + "/missing");
    Boxes().clear();
    Clipboard().SetImage(Picture(8, 8));
    WaitForSaves();
    ASSERT_EQ(Boxes().size(), 1);
    EXPECT_EQ(Boxes()[0].Text,
              QStringLiteral("Datei %1/missing/SV0000.bmp kann nicht erstellt werden").arg(Output));
    EXPECT_EQ(Boxes()[0].Caption, "No such file or directory");
    EXPECT_EQ(Form.StatCount->text(), "1");
    EXPECT_EQ(Form.StatBytes->text(), "0");
    EXPECT_EQ(Form.SavedBytes, 0);
}

TEST_F(Capture, SavesWhoseErrorBoxesStayOpenStillCountAsRunning) {
    TFakeMessageBoxes& boxes = Window.Platform.Boxes;
    boxes.HoldAsync = true;
    Form.OptActivate->setChecked(true);
    const QString folder = Output + "/missing";
    Form.OutputDirEdit->setText(folder);
    boxes.Shown.clear();
    // Two failures at once: both boxes open, each save waiting for its own.
    Clipboard().SetImage(Picture(8, 8));
    Clipboard().SetImage(Picture(9, 9));
    ASSERT_TRUE(RunUntil([&] { return boxes.Held.size() == 2; }));
    EXPECT_EQ(Form.RunningSaves, 2);
    // In whichever order the two threads fail.
    QStringList texts{boxes.Shown[0].Text, boxes.Shown[1].Text};
    texts.sort();
    EXPECT_EQ(texts,
              (QStringList{
                  QStringLiteral("Datei %1/SV0000.bmp kann nicht erstellt werden").arg(folder),
                  QStringLiteral("Datei %1/SV0001.bmp kann nicht erstellt werden").arg(folder)}));
    // While they count as running, the next picture is numbered past them.
    ASSERT_TRUE(QDir().mkpath(folder));
    Clipboard().SetImage(Picture(10, 10));
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(folder + "/SV0002.bmp"); }));
    EXPECT_TRUE(RunUntil([&] { return Form.RunningSaves == 2; }));
    // Answered, they end, and every capture is counted.
    while (!boxes.Held.empty()) {
        boxes.Held.front()(TBoxResult::Ok);
        boxes.Held.pop_front();
    }
    WaitForSaves();
    EXPECT_EQ(Form.StatCount->text(), "3");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"SV0002.bmp"});
}

TEST_F(Capture, FolderWithoutWritePermissionIsReportedAndCounted) {
    Form.OptActivate->setChecked(true);
    // Nobody, not even root, may create files in /sys.
    Form.OutputDirEdit->setText("/sys");
    Boxes().clear();
    Clipboard().SetImage(Picture(8, 8));
    WaitForSaves();
    ASSERT_EQ(Boxes().size(), 1);
    EXPECT_EQ(Boxes()[0].Text, "Datei /sys/SV0000.bmp kann nicht erstellt werden");
    // Mounted read-only in some containers.
    EXPECT_TRUE(Boxes()[0].Caption == "Permission denied" ||
                Boxes()[0].Caption == "Read-only file system")
        << Boxes()[0].Caption.toStdString();
    EXPECT_EQ(Form.StatCount->text(), "1");
    EXPECT_EQ(Form.RunningSaves, 0);
}

TEST_F(Capture, EmptyDirectoryAbandonsTheCapture) {
    Form.OptActivate->setChecked(true);
    Boxes().clear();
    Form.OutputDirEdit->setText(QString());
    ASSERT_EQ(Boxes().size(), 1); // the example label cannot be made either
    Clipboard().SetImage(Picture(12, 9));
    ASSERT_EQ(Boxes().size(), 2);
    EXPECT_TRUE(Boxes()[1].Text.contains("directory"));
    // Seen, but not saved.
    EXPECT_EQ(Form.StatX->text(), "12");
    EXPECT_EQ(Form.StatFilename->text(), "n/a");
    EXPECT_EQ(Form.RunningSaves, 0);
    EXPECT_TRUE(Form.LastFileName.isEmpty());
}

TEST_F(Capture, JpegSettingsAreTakenAtCaptureTime) {
    Form.OptActivate->setChecked(true);
    Form.JpgOut->setChecked(true);
    Form.JPEGGray->setChecked(true);
    Clipboard().SetImage(Picture(32, 32, qRgb(200, 10, 10)));
    // Changed while the save may still run: that save keeps what it was given.
    Form.JPEGGray->setChecked(false);
    WaitForSaves();
    EXPECT_EQ(QImage(Output + "/SV0000.jpg").format(), QImage::Format_Grayscale8);
}

TEST_F(Capture, NumberWidensWhenTheDigitsAreUsedUp) {
    Form.OptActivate->setChecked(true);
    Form.OptDigitAuto->setChecked(true);
    Form.DigitsUD->SetPosition(1);
    ASSERT_EQ(Form.DigitsUD->Position(), 1);
    for (int i = 1; i <= 9; ++i)
        ASSERT_TRUE(Touch(Output + QStringLiteral("/SV%1.bmp").arg(i)));
    Clipboard().SetImage(Picture(4, 4));
    EXPECT_EQ(Form.StatFilename->text(), Output + "/SV11.bmp");
    EXPECT_EQ(Form.DigitsUD->Position(), 2);
    WaitForSaves();
}

TEST_F(Capture, QuittingWaitsForRunningSaves) {
    Form.OptActivate->setChecked(true);
    Clipboard().SetImage(Picture(3000, 2000));
    ASSERT_EQ(Form.RunningSaves, 1);
    Window.Form.reset(); // the window's end: shutdown
    const QImage saved(Output + "/SV0000.bmp");
    EXPECT_EQ(saved.size(), QSize(3000, 2000));
}

// A modal box runs the event loop, so failures go on arriving while it is open: of each kind
// they open no second box, and good captures go on meanwhile.
TEST_F(Capture, FailuresWhileTheirBoxIsOpenOpenNoOther) {
    Form.OptActivate->setChecked(true);
    struct TCase {
        const char* Kind;
        QString Directory;
        std::function<void()> Fail;
    };
    int copies = 0; // each good capture a picture of its own
    const QList<TCase> cases{{"transfer", Output, [&] { Clipboard().SetBrokenImage(); }},
                             {"naming", QString(), [&] { Clipboard().SetImage(Picture(8, 6)); }}};
    for (const TCase& c : cases) {
        Form.OutputDirEdit->setText(c.Directory);
        Boxes().clear();
        Window.Platform.Boxes.WhileOpen = [&] {
            c.Fail();
            c.Fail();
            Form.OutputDirEdit->setText(Output);
            Clipboard().SetImage(Picture(8, 6, qRgb(++copies, 0, 0)));
            Form.OutputDirEdit->setText(c.Directory);
        };
        c.Fail();
        WaitForSaves();
        EXPECT_EQ(Boxes().size(), 1) << c.Kind;
    }
    EXPECT_EQ(Files(), (QStringList{"SV0000.bmp", "SV0001.bmp"}));
    // Once the box is closed, the next failure is shown again.
    Clipboard().SetBrokenImage();
    EXPECT_EQ(Boxes().size(), 2);
}

// A save the system gives no thread: reported with the file-creation text, and nothing of it
// stays counted, reserved or busy, so the next capture gets the same name and completes.
TEST_F(Capture, SaveThreadThatCannotStartIsUndone) {
    Form.OptActivate->setChecked(true);
    Window.Platform.Threads.Refusal = EAGAIN;
    Boxes().clear();
    Clipboard().SetImage(Picture(8, 6));
    ASSERT_EQ(Boxes().size(), 1);
    EXPECT_EQ(Boxes()[0].Text,
              QStringLiteral("Datei %1/SV0000.bmp kann nicht erstellt werden").arg(Output));
    EXPECT_EQ(Boxes()[0].Caption, "Resource temporarily unavailable");
    EXPECT_EQ(Form.RunningSaves, 0);
    EXPECT_EQ(Form.PendingSaveMemory, 0);
    EXPECT_TRUE(Form.LastFileName.isEmpty());
    Window.Platform.Threads.Refusal = 0;
    Clipboard().SetImage(Picture(8, 6));
    WaitForSaves();
    EXPECT_EQ(Files(), QStringList{"SV0000.bmp"});
}

// Pending saves together stay within the memory budget: a capture that would pass it is
// refused as a failed transfer before anything shows, the pending save still completes, and
// its memory is free again afterwards.
TEST_F(Capture, CapturesBeyondTheMemoryBudgetAreRefused) {
    Form.OptActivate->setChecked(true);
    Form.SaveMemoryBudget = SaveMemoryEstimate({800, 600}, 32, TSaveFormat::sfBMP) * 3 / 2;
    Boxes().clear();
    Clipboard().SetImage(Picture(800, 600));
    Clipboard().SetImage(Picture(700, 500)); // the first still pending
    ASSERT_EQ(Boxes().size(), 1);
    EXPECT_EQ(Boxes()[0].Text, "Error transferring data from clipboard");
    EXPECT_EQ(Form.StatX->text(), "800");
    WaitForSaves();
    EXPECT_EQ(Form.PendingSaveMemory, 0);
    Clipboard().SetImage(Picture(700, 500));
    WaitForSaves();
    EXPECT_EQ(Files(), (QStringList{"SV0000.bmp", "SV0001.bmp"}));
    EXPECT_EQ(QImage(Output + "/SV0001.bmp").width(), 700);
    EXPECT_EQ(Boxes().size(), 1);
}

TEST(ClipboardChain, NoticesGoDownTheChainAndItsChangesAreFollowed) {
    TFakePlatform platform;
    platform.Clipboard.JoinAnswer = 42;
    // Built by hand: the fixture's fakes would not have the chain's answer in place.
    auto form = std::make_unique<TSVXForm>(QStringList{});
    EXPECT_EQ(form->NextViewer, 42u);
    // The notice of joining arrives before the successor is known: it goes nowhere.
    EXPECT_TRUE(platform.Clipboard.DrawSentTo.isEmpty());

    form->ClipboardChainChanged(99, 5); // someone further down leaves
    EXPECT_EQ(form->NextViewer, 42u);
    ASSERT_EQ(platform.Clipboard.ChangeSent.size(), 1);
    EXPECT_EQ(platform.Clipboard.ChangeSent[0],
              std::make_tuple(TViewerHandle(42), TViewerHandle(99), TViewerHandle(5)));
    form->ClipboardChainChanged(42, 77); // our successor leaves: the next one follows us
    EXPECT_EQ(form->NextViewer, 77u);
    EXPECT_EQ(platform.Clipboard.ChangeSent.size(), 1);
    platform.Clipboard.SetText();
    EXPECT_EQ(platform.Clipboard.DrawSentTo.last(), 77u);

    form->ClipboardChainChanged(77, 0); // the last one leaves
    EXPECT_EQ(form->NextViewer, 0u);
    const qsizetype sent = platform.Clipboard.DrawSentTo.size();
    platform.Clipboard.SetText();
    form->ClipboardChainChanged(5, 6);
    EXPECT_EQ(platform.Clipboard.DrawSentTo.size(), sent);
    EXPECT_EQ(platform.Clipboard.ChangeSent.size(), 1);

    form.reset();
    EXPECT_TRUE(platform.Clipboard.Left);
    EXPECT_EQ(platform.Clipboard.LeftWithNext, 0u);
}

TEST(Startup, ErrorDuringConstructionClosesSplashAndCloseChannel) {
    TFakePlatform platform;
    platform.Clipboard.JoinThrows = true;
    ShowSplash();
    EXPECT_THROW(TSVXForm{QStringList{}}, std::runtime_error);
    EXPECT_EQ(Splash(), nullptr);
    // A close request must not reach the window that is gone.
    EXPECT_FALSE(platform.Instance.OnClose);
    EXPECT_FALSE(platform.Instance.Locked);
}

TEST(ReportError, CaptionIsTheSystemTextOfTheLastError) {
    TFakePlatform platform;
    ShowSplash();
    ASSERT_NE(Splash(), nullptr);
    errno = ENOENT;
    ReportError("FileMapping");
    EXPECT_EQ(Splash(), nullptr); // the box is never hidden behind the splash
    errno = 0;
    ReportError("Filemapping error");
    ASSERT_EQ(platform.Boxes.Shown.size(), 2);
    EXPECT_EQ(platform.Boxes.Shown[0].Text, "FileMapping");
    EXPECT_EQ(platform.Boxes.Shown[0].Caption, "No such file or directory");
    EXPECT_EQ(platform.Boxes.Shown[0].Icon, TBoxIcon::Information);
    EXPECT_EQ(platform.Boxes.Shown[1].Caption, "An error has occurred");
}

} // namespace
