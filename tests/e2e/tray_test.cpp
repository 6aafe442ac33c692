// The icon in a real XEmbed tray: its colours for on, off and saving, its menu, and the window
// that goes into it when minimised and comes back on a click.
#include "e2efixture.h"
#include "iconifier.h"
#include "imagechecks.h"
#include "toolrun.h"
#include "traycolours.h"

namespace {

constexpr int IconTimeoutMs = 10000;

QPoint Centre(const TWindow& window) {
    return window.Geometry.center();
}

} // namespace

class TrayTest : public TE2ETest {
protected:
    // Starts the program, puts its icon into the tray through "Minimize to system tray" and
    // returns the main window and the icon.
    bool StartWithIcon() {
        Window = StartAndWaitForWindow(&Program);
        if (!Window)
            return false;
        EXPECT_TRUE(SetChecked(*Window, QStringLiteral("OptMinToSysT"), true));
        QList<TWindow> icons;
        WaitUntil(
            [&] {
                icons = Desktop().EmbeddedWindowsOf(Program->processId());
                return !icons.isEmpty();
            },
            IconTimeoutMs);
        EXPECT_EQ(icons.size(), 1) << "no icon of the program in the tray";
        if (icons.size() != 1)
            return false;
        Icon = icons.first();
        return true;
    }

    // Waits until the icon shows `colour`; the colour seen last.
    std::string WaitForIconColour(const QString& colour, int timeoutMs = IconTimeoutMs) {
        QString seen;
        WaitUntil(
            [&] {
                seen = TrayColourOf(Desktop().WindowPicture(Icon->Id));
                return seen == colour;
            },
            timeoutMs, 10);
        return seen.toStdString();
    }

    QProcess* Program = nullptr;
    std::optional<TWindow> Window;
    std::optional<TWindow> Icon;
};

TEST_F(TrayTest, IconShowsOnOffAndSavingAndItsMenuQuits) {
    ASSERT_TRUE(StartWithIcon());
    for (const bool active : {true, false, true}) {
        ASSERT_TRUE(SetActive(*Window, active));
        const QString colour = active ? QStringLiteral("green") : QStringLiteral("red");
        EXPECT_EQ(WaitForIconColour(colour), colour.toStdString());
    }

    // A picture that compresses badly keeps the PNG writer busy for a while.
    ASSERT_TRUE(PrepareCapture(*Window, QStringLiteral("PngOut")));
    ASSERT_TRUE(CopyImage(PatternImage(2400, 1800, 7)));
    EXPECT_EQ(WaitForIconColour("yellow", 5000), "yellow");
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0000.png"), 60000).isNull());
    EXPECT_EQ(WaitForIconColour("green"), "green");

    // A right click opens the menu; "Quit" ends the program the ordinary way.
    ASSERT_TRUE(Desktop().ClickAt(Centre(*Icon), 3));
    const std::optional<TWindow> menu = Desktop().WaitForWindow(
        [&](const TWindow& window) {
            return window.Pid == Program->processId() && window.Id != Window->Id;
        },
        IconTimeoutMs);
    ASSERT_TRUE(menu) << "no menu after a right click on the icon";
    ASSERT_TRUE(Desktop().Keys({QStringLiteral("q")}));
    EXPECT_EQ(WaitForExit(*Program, 15000), std::optional<int>(0));
}

TEST_F(TrayTest, MinimisedWindowLeavesTheTaskbarAndStaysReachable) {
    ASSERT_TRUE(StartWithIcon());
    TIconifier windowManager(Desktop().Environment().value(QStringLiteral("DISPLAY")));
    ASSERT_TRUE(windowManager.Ok());
    const auto minimise = [&] {
        windowManager.Iconify(Window->Id);
        return windowManager.WaitForWithdrawn(Window->Id, IconTimeoutMs);
    };
    const auto windowShown = [&] { return windowManager.WaitForMapped(Window->Id, IconTimeoutMs); };
    ASSERT_TRUE(minimise()) << "the minimised window keeps its taskbar entry";
    ASSERT_TRUE(Desktop().ClickAt(Centre(*Icon), 1));
    EXPECT_TRUE(windowShown()) << "a left click on the icon does not bring the window back";
    EXPECT_TRUE(SetActive(*Window, true)) << "the window does not answer after coming back";

    // The panel goes away (and restarts): the window it held shows again, and the new panel
    // gets the icon without the user doing anything.
    ASSERT_TRUE(minimise());
    StopTray();
    const bool shown = windowShown();
    const bool trayBack = StartTray();
    EXPECT_TRUE(shown) << "the window stays hidden without a tray";
    ASSERT_TRUE(trayBack);
    EXPECT_TRUE(
        WaitUntil([&] { return Desktop().EmbeddedWindowsOf(Program->processId()).size() == 1; },
                  IconTimeoutMs))
        << "no icon in the restarted tray";
    EXPECT_TRUE(IsRunning(*Program));
}
