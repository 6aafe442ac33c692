#include "e2efixture.h"

#include "formlayout.h"
#include "imagechecks.h"
#include "referencebox.h"
#include "testfiles.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::unique_ptr<TXvfbServer> TE2ETest::FServer;
QString TE2ETest::FServerProblem;

namespace {

constexpr int BoxTimeoutMs = 10000;
const QString FirstRunCaption = QStringLiteral("SVX.dat not found or wrong version");
} // namespace

void TE2ETest::SetUpTestSuite() {
    FServer = std::make_unique<TXvfbServer>();
    if (!FServer->Start() || !FServer->StartTray()) {
        FServerProblem = FServer->Problem();
        FServer.reset();
    }
}

void TE2ETest::TearDownTestSuite() {
    FServer.reset();
}

void TE2ETest::SetUp() {
    ASSERT_TRUE(FServer) << "no X server: " << FServerProblem.toStdString();
    FSandbox = std::make_unique<TSandbox>(FServer->Display());
    ASSERT_TRUE(FSandbox->Ok()) << FSandbox->Problem().toStdString();
    FDesktop = std::make_unique<TDesktopDriver>(FSandbox->Environment());
    FClipboard = std::make_unique<TClipboardFeeder>(FChildren, FSandbox->Environment());
    // The pointer rests in a corner where no window is, so hover effects stay out of the way.
    FDesktop->MoveTo(QPoint(0, 0));
}

void TE2ETest::TearDown() {
    if (HasFailure() && FSandbox && FSandbox->Ok() && FDesktop) {
        const QString screenshot = FSandbox->PathOf(QStringLiteral("failure.png"));
        FDesktop->Screenshot(screenshot);
        FSandbox->KeepOnDisk();
        std::fprintf(stderr, "[ e2e     ] screenshot: %s\n[ e2e     ] sandbox kept: %s\n",
                     qPrintable(screenshot), qPrintable(FSandbox->Root()));
        for (const TWindow& window : FDesktop->VisibleWindows())
            std::fprintf(stderr, "[ e2e     ] %s\n", qPrintable(window.Describe()));
        // What the program printed (sanitizer reports among it) tells most about a failure.
        const QDir root(FSandbox->Root());
        for (const QString& name : root.entryList({QStringLiteral("snapvault-*.log")})) {
            const QByteArray log = ReadAll(root.filePath(name)).left(8192);
            if (!log.isEmpty())
                std::fprintf(stderr, "[ e2e     ] %s:\n%s\n", qPrintable(name), log.constData());
        }
    }
    FChildren.StopAll();
    FClipboard.reset();
    FDesktop.reset();
    FSandbox.reset();
}

TChildProcess* TE2ETest::StartProgram(const QStringList& arguments) {
    const QString log = FSandbox->PathOf(QStringLiteral("snapvault-%1.log").arg(++FProgramCount));
    TChildProcess* program =
        FChildren.Start(FSandbox->ProgramPath(), arguments, FSandbox->Environment(), log);
    EXPECT_NE(program, nullptr) << "cannot start " << FSandbox->ProgramPath().toStdString();
    return program;
}

std::optional<TWindow> TE2ETest::WaitForMainWindow(const TChildProcess& program, int timeoutMs,
                                                   QList<TWindow>* seen) {
    const qint64 pid = program.Pid();
    const QSize size = TFormLayout::Get().FormSize();
    std::optional<TWindow> mainWindow;
    WaitUntil(
        [&] {
            for (const TWindow& window : FDesktop->WindowsOf(pid)) {
                if (seen != nullptr)
                    seen->append(window);
                if (window.Geometry.size() == size &&
                    window.Name.startsWith(QStringLiteral("Snapvault"))) {
                    mainWindow = window;
                    return true;
                }
                // Every test starts without settings: the program may greet that first run
                // with a box before its window shows. Answered as a user would.
                if (window.Name == FirstRunCaption) {
                    FDesktop->Focus(window.Id);
                    FDesktop->Keys({QStringLiteral("Return")});
                }
            }
            return false;
        },
        timeoutMs);
    return mainWindow;
}

TE2ETest::TStarted TE2ETest::StartWithWindow() {
    TChildProcess* program = StartProgram();
    const std::optional<TWindow> window = program ? WaitForMainWindow(*program) : std::nullopt;
    if (!window)
        throw std::runtime_error("the program shows no main window");
    return {program, *window};
}

std::optional<TWindow> TE2ETest::WaitForBox(qint64 pid, const QString& caption, int timeoutMs) {
    const QSize formSize = TFormLayout::Get().FormSize();
    // The splash carries the program's name as its title too.
    const QSize splashSize(378, 292);
    return FDesktop->WaitForWindow(
        [&](const TWindow& window) {
            return window.Pid == pid && window.Name == caption &&
                   window.Geometry.size() != formSize && window.Geometry.size() != splashSize;
        },
        timeoutMs);
}

::testing::AssertionResult TE2ETest::BoxFitsText(const TWindow& box, const QString& text,
                                                 QMessageBox::Icon icon) {
    const QSize expected = ReferenceBoxSize(box.Name, text, icon);
    // The width follows the text to the pixel; the height may differ by a frame pixel or two
    // between the platforms, which is far less than a line.
    if (box.Geometry.width() == expected.width() &&
        std::abs(box.Geometry.height() - expected.height()) <= 4)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << box.Describe().toStdString() << " does not have the size of a box saying \""
           << text.toStdString() << "\" (" << expected.width() << "x" << expected.height() << ")";
}

::testing::AssertionResult TE2ETest::AnswerBox(const TWindow& box) {
    if (!FDesktop->Focus(box.Id) || !FDesktop->Keys({QStringLiteral("Return")}))
        return ::testing::AssertionFailure() << "cannot answer " << box.Describe().toStdString();
    if (!FDesktop->WaitForWindowGone(box.Id, BoxTimeoutMs))
        return ::testing::AssertionFailure()
               << "still open after Return: " << box.Describe().toStdString();
    return ::testing::AssertionSuccess();
}

std::optional<int> TE2ETest::RunTerminate(int timeoutMs) {
    TChildProcess* terminator = StartProgram({QStringLiteral("-terminate")});
    if (terminator == nullptr)
        return std::nullopt;
    return terminator->ExitCodeWithin(timeoutMs);
}

bool TE2ETest::HasThread(const TChildProcess& program, const QByteArray& name) {
    const QString tasks = QStringLiteral("/proc/%1/task/").arg(program.Pid());
    const QStringList ids = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(ids.begin(), ids.end(), [&](const QString& id) {
        return ReadAll(tasks + id + QStringLiteral("/comm")).trimmed() == name;
    });
}

QString TE2ETest::WriteClip(const QImage& image) {
    QDir(FSandbox->Root()).mkpath(QStringLiteral("clips"));
    const QString path =
        FSandbox->PathOf(QStringLiteral("clips/clip%1.png").arg(++FClipCount, 3, 10, QChar('0')));
    image.save(path, "PNG");
    return path;
}

::testing::AssertionResult TE2ETest::CopyImage(const QImage& image) {
    const QString path = WriteClip(image);
    if (!FClipboard->CopyImageAndWaitForFetch(path))
        return ::testing::AssertionFailure() << "nobody fetched the " << image.width() << "x"
                                             << image.height() << " image from the clipboard";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::OfferText(const QString& text) {
    QDir(FSandbox->Root()).mkpath(QStringLiteral("clips"));
    const QString path =
        FSandbox->PathOf(QStringLiteral("clips/clip%1.txt").arg(++FClipCount, 3, 10, QChar('0')));
    if (!WriteAll(path, text.toUtf8()))
        return ::testing::AssertionFailure() << "cannot write " << path.toStdString();
    if (!FClipboard->OfferText(path))
        return ::testing::AssertionFailure() << "xclip does not offer the text";
    return ::testing::AssertionSuccess();
}

QImage TE2ETest::WaitForImageFile(const QString& path, int timeoutMs) const {
    QByteArray content;
    const bool complete = WaitUntil(
        [&] {
            content = ReadAll(path);
            return LooksComplete(content);
        },
        timeoutMs);
    if (!complete)
        return {};
    return QImage::fromData(content);
}

QStringList ImageFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("SV*")}, QDir::Files, QDir::Name);
}
