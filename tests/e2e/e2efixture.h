#pragma once

#include "childprocesses.h"
#include "clipboardfeeder.h"
#include "desktopdriver.h"
#include "sandbox.h"
#include "xvfbserver.h"

#include <QImage>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// The caption of the main window while capture is off, and while it is on.
inline const QString InactiveCaption = QStringLiteral("Snapvault [disabled]");
inline const QString ActiveCaption = QStringLiteral("Snapvault");

// The names of the image files (SV*) in a folder, sorted.
QStringList ImageFilesIn(const QString& folder);

// Tabs of the main window, in order.
enum class TTab { General, Output, JPEGOptions, Info, About };

// One X server (with a system tray) per test suite; per test a fresh sandbox (home, runtime folder,
// program copy). Everything a test starts is stopped at its end; on failure a screenshot is taken
// and the sandbox is kept, and both paths are printed.
class TE2ETest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // ---- the program ----
    // Starts the program under test; null when it cannot be started (the test has failed).
    TChildProcess* StartProgram(const QStringList& arguments = {});
    // The main window of `program`: titled "Snapvault...", of the window's size. A first-run
    // greeting on the way is answered. With `seen`, every window of the program met on the way
    // is recorded.
    std::optional<TWindow> WaitForMainWindow(const TChildProcess& program, int timeoutMs = 15000,
                                             QList<TWindow>* seen = nullptr);
    // Starts the program without arguments and waits for its main window. When either does not
    // happen the test ends there, failed (by an exception: no caller needs to check).
    struct TStarted {
        TChildProcess* Program;
        TWindow Window;
    };
    TStarted StartWithWindow();
    // A window of `pid` with this caption that is not its main window (a message box).
    std::optional<TWindow> WaitForBox(qint64 pid, const QString& caption, int timeoutMs = 10000);
    // Whether a box has the size of a box with this caption, text and icon (see
    // ReferenceBoxSize).
    static ::testing::AssertionResult BoxFitsText(const TWindow& box, const QString& text,
                                                  QMessageBox::Icon icon);
    // Focuses a box and presses Return, then waits until it has gone.
    ::testing::AssertionResult AnswerBox(const TWindow& box);
    // Whether `program` runs a thread of that name now.
    static bool HasThread(const TChildProcess& program, const QByteArray& name);
    // Runs `snapvault -terminate` to its end; its exit code (none: still running after
    // `timeoutMs`, then killed).
    std::optional<int> RunTerminate(int timeoutMs = 10000);

    // ---- the window's controls, found by name through the offscreen twin (e2econtrols.cpp) ----
    ::testing::AssertionResult ShowTab(const TWindow& window, TTab tab);
    ::testing::AssertionResult ClickControl(const TWindow& window, const QString& control);
    // Opens a drop-down list and picks the item with this text by keyboard.
    ::testing::AssertionResult ChooseItem(const TWindow& window, const QString& comboBox,
                                          const QString& item);
    // Replaces the text of an edit by typing.
    ::testing::AssertionResult TypeInto(const TWindow& window, const QString& edit,
                                        const QString& text);
    // Switches capture on or off with "Activate" (unless it is so already) and waits for the
    // caption to say so.
    ::testing::AssertionResult SetActive(const TWindow& window, bool active);
    // The state a check box, radio button (0, 1) or drop-down list (item index) shows, read from
    // a picture of the window; none when it cannot be read.
    std::optional<int> ReadControlState(const TWindow& window, const QString& control);
    // Clicks a check box or radio button unless it shows `checked` already; then waits until it
    // shows `checked`.
    ::testing::AssertionResult SetChecked(const TWindow& window, const QString& control,
                                          bool checked);
    // The settings every capture test starts from, whatever the first run brought: base name
    // "SV", numbering "starting from" the blank or zero field, any image size, the output format
    // of `formatButton` (BitmapOut, JpgOut, PngOut).
    ::testing::AssertionResult PrepareCapture(const TWindow& window, const QString& formatButton);
    // Starts the program, prepares it with PrepareCapture and switches capture on.
    ::testing::AssertionResult StartCapturing(const QString& formatButton,
                                              TChildProcess** program = nullptr);

    // ---- the clipboard ----
    // Saves `image` as a PNG in the sandbox, copies it with xclip and waits until it has been
    // fetched.
    ::testing::AssertionResult CopyImage(const QImage& image);
    // Offers text on the clipboard (xclip keeps serving it).
    ::testing::AssertionResult OfferText(const QString& text);
    // Writes a PNG of `image` into the sandbox; its path.
    QString WriteClip(const QImage& image);

    // ---- output files ----
    // Waits until `path` exists with all its bytes; the decoded image (null on timeout).
    QImage WaitForImageFile(const QString& path, int timeoutMs = 10000) const;

    // The suite's tray: taken away and brought back (a panel restarting).
    static void StopTray() { FServer->StopTray(); }
    static bool StartTray() { return FServer->TrayRunning() || FServer->StartTray(); }

    TSandbox& Sandbox() { return *FSandbox; }
    TDesktopDriver& Desktop() { return *FDesktop; }
    TClipboardFeeder& Clipboard() { return *FClipboard; }
    QString Home() const { return FSandbox->Home(); }

private:
    static std::unique_ptr<TXvfbServer> FServer;
    static QString FServerProblem;

    TChildProcesses FChildren;
    std::unique_ptr<TSandbox> FSandbox;
    std::unique_ptr<TDesktopDriver> FDesktop;
    std::unique_ptr<TClipboardFeeder> FClipboard;
    int FClipCount = 0;
    int FProgramCount = 0;
};
