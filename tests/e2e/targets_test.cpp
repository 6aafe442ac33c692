// Output folders that cannot take a file: the save thread's error box, and that the program goes
// on capturing once it has been answered.
#include "e2efixture.h"
#include "imagechecks.h"
#include "tinyfilesystem.h"
#include "toolrun.h"

#include <QDir>

#include <cstring>

namespace {

QString SystemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

using TargetTest = TE2ETest;

TEST_F(TargetTest, MissingFolderIsReportedAndCaptureGoesOn) {
    const auto [program, window] = StartWithWindow();
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("JpgOut")));
    const QString folder = Sandbox().PathOf(QStringLiteral("missing")) + QLatin1Char('/');
    ASSERT_TRUE(TypeInto(window, QStringLiteral("OutputDirEdit"), folder));
    ASSERT_TRUE(SetActive(window, true));

    ASSERT_TRUE(CopyImage(PatternImage(50, 40, 1)));
    // The caption is the system's text for the failure.
    const std::optional<TWindow> box = WaitForBox(program->Pid(), SystemText(ENOENT));
    ASSERT_TRUE(box) << "no error box captioned \"" << SystemText(ENOENT).toStdString() << "\"";
    EXPECT_TRUE(BoxFitsText(
        *box, QStringLiteral("Datei %1SV0000.jpg kann nicht erstellt werden").arg(folder),
        QMessageBox::Information));
    ASSERT_TRUE(AnswerBox(*box));
    EXPECT_TRUE(program->Running());

    // Once the folder exists the next copy is saved there.
    ASSERT_TRUE(QDir().mkpath(folder));
    const QImage next = PatternImage(61, 43, 2);
    ASSERT_TRUE(CopyImage(next));
    QStringList names;
    WaitUntil([&] { return !(names = ImageFilesIn(folder)).isEmpty(); }, 10000);
    ASSERT_EQ(names.size(), 1) << names.join(' ').toStdString();
    const QImage saved = WaitForImageFile(folder + names.first());
    EXPECT_EQ(saved.size(), next.size());
}

TEST_F(TargetTest, FullDiskIsReportedAndLeavesNoPartialFile) {
    const QString folder = Sandbox().PathOf(QStringLiteral("tiny"));
    const TTinyFileSystem tiny(folder, Sandbox().Environment());
    if (!tiny.Mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";

    const auto [program, window] = StartWithWindow();
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
    ASSERT_TRUE(TypeInto(window, QStringLiteral("OutputDirEdit"), folder + QLatin1Char('/')));
    ASSERT_TRUE(SetActive(window, true));

    // 200x150 at 24 bits is about 88 KiB: more than the file system holds.
    ASSERT_TRUE(CopyImage(PatternImage(200, 150, 3)));
    const std::optional<TWindow> box = WaitForBox(program->Pid(), SystemText(ENOSPC));
    ASSERT_TRUE(box) << "no error box captioned \"" << SystemText(ENOSPC).toStdString() << "\"";
    EXPECT_TRUE(BoxFitsText(*box, QStringLiteral("Stream-Write-Fehler"), QMessageBox::Information));
    // The part that was written is gone before the user is told.
    EXPECT_EQ(ImageFilesIn(folder), QStringList());
    ASSERT_TRUE(AnswerBox(*box));
    EXPECT_EQ(ImageFilesIn(folder), QStringList());

    // A picture that fits is saved whole: the failed save left nothing behind that blocks it.
    const QImage small = PatternImage(20, 10, 4);
    ASSERT_TRUE(CopyImage(small));
    const QImage saved = WaitForImageFile(folder + QStringLiteral("/SV0000.bmp"));
    EXPECT_TRUE(SamePixels(small, saved));
    EXPECT_TRUE(program->Running());
}

TEST_F(TargetTest, TerminateWithAnErrorBoxOpenEndsTheProgram) {
    const auto [program, window] = StartWithWindow();
    ASSERT_TRUE(PrepareCapture(window, QStringLiteral("BitmapOut")));
    const QString folder = Sandbox().PathOf(QStringLiteral("missing")) + QLatin1Char('/');
    ASSERT_TRUE(TypeInto(window, QStringLiteral("OutputDirEdit"), folder));
    ASSERT_TRUE(SetActive(window, true));
    ASSERT_TRUE(CopyImage(PatternImage(50, 40, 5)));
    ASSERT_TRUE(WaitForBox(program->Pid(), SystemText(ENOENT), 60000));
    // The save waits for its box; the request to end must not wait for the user.
    EXPECT_EQ(RunTerminate(60000), 0);
    EXPECT_EQ(program->ExitCodeWithin(60000), 0);
}
