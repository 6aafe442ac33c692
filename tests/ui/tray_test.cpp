// The notification-area icon through a fake tray: the images it shows for activation and
// saves, its menu, and the window it hides and brings back, with and without a tray.
#include "formfixture.h"
#include "tray/trayicon.h"
#include "traycolours.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class Tray : public testing::Test {
protected:
    TFakeTrayBackend& Icon() { return *Window.Platform.Tray.Icons.last(); }
    std::string ShownColour() {
        return TrayColourOf(Icon().Icon.pixmap(16).toImage()).toStdString();
    }
    void Click(ITrayBackend::TClick click) { emit Icon().Clicked(click); }
    void Settle() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

    TFormUnderTest Window{TFormUnderTest::TStart::AsFirstInstance};
    TSVXForm& Form = *Window.Form;
};

TEST(TrayArtwork, EveryImageIsDrawnAtEveryTraySizeInItsColour) {
    const struct {
        TImageList Images;
        const char* Colours[2];
    } lists[] = {
        {TrayArtwork::StateImages(), {"green", "red"}},
        {TrayArtwork::BusyImages(), {"yellow", "yellow"}},
    };
    for (const auto& list : lists) {
        ASSERT_EQ(list.Images.size(), 2);
        for (int index = 0; index < 2; ++index) {
            for (int size : {16, 22, 24, 32, 48}) {
                SCOPED_TRACE(
                    QStringLiteral("%1 at %2").arg(list.Colours[index]).arg(size).toStdString());
                // Drawn for that size, not scaled from another.
                EXPECT_TRUE(list.Images[index].availableSizes().contains(QSize(size, size)));
                const QImage image = list.Images[index].pixmap(size).toImage();
                EXPECT_EQ(image.size(), QSize(size, size));
                EXPECT_EQ(TrayColourOf(image).toStdString(), list.Colours[index]);
            }
        }
    }
    // The first busy image carries the red mark along its left edge; the second does not.
    const QImage marked = lists[1].Images[0].pixmap(16).toImage();
    const QImage plain = lists[1].Images[1].pixmap(16).toImage();
    EXPECT_EQ(TrayColourOf(marked.copy(0, 2, 2, 12)).toStdString(), "red");
    EXPECT_NE(TrayColourOf(plain.copy(0, 2, 2, 12)).toStdString(), "red");
}

TEST_F(Tray, ActivationKeepsBoxMenuMarkIconAndCaptionTogether) {
    Form.OptMinToSysT->setChecked(true);
    ASSERT_TRUE(Icon().Shown);
    EXPECT_EQ(Icon().ToolTip, "Snapvault");
    EXPECT_EQ(Icon().Menu, Form.TrayPopupMenu);
    EXPECT_EQ(Form.TrayPopupMenu->defaultAction(), Form.Restore1);
    // The window's own values leave capture off: the menu says so from the start.
    const struct {
        const char* Step;
        std::function<void()> Act;
        bool Active;
    } steps[] = {
        {"start", [] {}, false},
        {"box on", [this] { Form.OptActivate->setChecked(true); }, true},
        {"menu off", [this] { Form.Activate1->trigger(); }, false},
        {"menu on", [this] { Form.Activate1->trigger(); }, true},
        {"box off", [this] { Form.OptActivate->setChecked(false); }, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        step.Act();
        EXPECT_EQ(Form.OptActivate->isChecked(), step.Active);
        EXPECT_EQ(Form.Activate1->isChecked(), step.Active);
        EXPECT_EQ(Form.TrayIcon->IconIndex(), step.Active ? 0 : 1);
        EXPECT_EQ(ShownColour(), step.Active ? "green" : "red");
        EXPECT_EQ(Form.windowTitle(), step.Active ? "Snapvault" : "Snapvault [disabled]");
    }
    Form.OptMinToSysT->setChecked(false);
    EXPECT_FALSE(Icon().Shown);
    EXPECT_FALSE(Form.TrayIcon->Visible());
    EXPECT_TRUE(Window.Platform.Boxes.Shown.isEmpty());
}

TEST_F(Tray, BusyAnimationSpansOverlappingSavesAndEndsOnTheStateImage) {
    const QString output = Window.Folder() + QStringLiteral("/out");
    QDir().mkpath(output);
    Form.OutputDirEdit->setText(output);
    Form.OptMinToSysT->setChecked(true);
    Form.OptActivate->setChecked(true);
    // A large noisy PNG takes far longer than a tiny BMP: the saves overlap, and the BMP,
    // started second, completes first.
    QImage noisy(2000, 1500, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    Form.PngOut->setChecked(true);
    Window.Platform.Clipboard.SetImage(noisy);
    Form.BitmapOut->setChecked(true);
    Window.Platform.Clipboard.SetImage(QImage(8, 6, QImage::Format_RGB32));
    ASSERT_EQ(Form.RunningSaves, 2);
    EXPECT_TRUE(Form.TrayIcon->Animate());
    EXPECT_EQ(Form.TrayIcon->AnimateInterval(), 50);
    // Switched off mid-save: the animation goes on.
    Form.OptActivate->setChecked(false);

    const int changesBefore = Icon().IconChanges;
    ASSERT_TRUE(QTest::qWaitFor([this] { return Form.RunningSaves != 2; }, 20000));
    ASSERT_EQ(Form.RunningSaves, 1) << "the PNG save ended before the BMP one";
    EXPECT_TRUE(Form.TrayIcon->Animate());
    // The busy images alternate while the PNG save goes on; a still image lets the save end
    // first.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Icon().IconChanges - changesBefore >= 2 || Form.RunningSaves != 1; }, 20000));
    EXPECT_GE(Icon().IconChanges - changesBefore, 2) << "the busy images do not alternate";
    if (Form.RunningSaves == 1) {
        EXPECT_EQ(ShownColour(), "yellow");
    }

    ASSERT_TRUE(QTest::qWaitFor([this] { return Form.RunningSaves == 0; }, 20000));
    EXPECT_FALSE(Form.TrayIcon->Animate());
    // The state the program is in, off, and not the green of capture on.
    EXPECT_EQ(Form.TrayIcon->Icons(), &Form.TheImageList);
    EXPECT_EQ(Form.TrayIcon->IconIndex(), 1);
    EXPECT_EQ(ShownColour(), "red");
}

// A panel starting with the session may come a while after the program: no box until start-up's
// grace is over, none at all when a panel has come by then, and one that comes later takes the
// box down.
TEST(TrayAtStartUp, NoNotificationAreaIsReportedOnlyWhileNoneHasCome) {
    for (const char* panel : {"none", "in time", "late"}) {
        SCOPED_TRACE(panel);
        TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance,
                              [](TFakePlatform& platform) { platform.Tray.AreaPresent = false; });
        TSVXForm& form = *window.Form;
        // As stored settings bring it, within the program's first seconds.
        ASSERT_TRUE(form.TrayHostGrace->isActive());
        form.OptMinToSysT->setChecked(true);
        const auto missingTrayBoxes = [&] {
            return std::count_if(window.Platform.Boxes.Shown.begin(),
                                 window.Platform.Boxes.Shown.end(), [](const TBoxRequest& box) {
                                     return box.Text ==
                                            "Cannot Create System Shell Notification Icon.";
                                 });
        };
        EXPECT_EQ(missingTrayBoxes(), 0);
        if (panel == std::string("in time"))
            window.Platform.Tray.SetAvailable(true);
        // The grace runs out now rather than in its seconds.
        form.TrayHostGrace->start(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.TrayHostGrace->isActive(); }, 10000));
        EXPECT_EQ(missingTrayBoxes(), panel == std::string("in time") ? 0 : 1);
        if (panel == std::string("late"))
            window.Platform.Tray.SetAvailable(true);
        EXPECT_EQ(window.Platform.Boxes.TakenDown, panel == std::string("late") ? 1 : 0);
        EXPECT_EQ(window.Platform.Tray.Icons.last()->Shown, panel != std::string("none"));
    }
}

TEST_F(Tray, WindowHidesInTheTrayOnlyWhileAnIconCanBringItBack) {
    Form.show();
    auto& tray = Window.Platform.Tray;
    auto minimize = [this] {
        Form.setWindowState(Form.windowState() | Qt::WindowMinimized);
        Settle();
    };

    // No notification area once start-up's grace is over: said once at the user's click, and
    // minimising keeps an ordinary window.
    Form.TrayHostGrace->stop();
    tray.AreaPresent = false;
    Form.OptMinToSysT->setChecked(true);
    ASSERT_EQ(Window.Platform.Boxes.Shown.size(), 1);
    const TBoxRequest& box = Window.Platform.Boxes.Shown[0];
    EXPECT_EQ(box.Text, "Cannot Create System Shell Notification Icon.");
    EXPECT_EQ(box.Caption, "Snapvault");
    EXPECT_EQ(box.Icon, TBoxIcon::Error);
    EXPECT_TRUE(Form.TrayIcon->Visible());
    EXPECT_FALSE(Icon().Shown);
    minimize();
    EXPECT_TRUE(Form.isVisible());

    // A panel starts: the icon comes on its own, with the current image.
    Form.TrayIcon->Restore();
    Form.repaint(); // on the screen
    tray.SetAvailable(true);
    EXPECT_TRUE(Icon().Shown);
    EXPECT_EQ(ShownColour(), "red");
    minimize();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_TRUE(Form.TrayIcon->WindowInTray());

    // Left click, double click and "Restore" each bring it back; a right click does not.
    const struct {
        const char* Way;
        std::function<void()> Act;
        bool Restores;
    } ways[] = {
        {"right click", [&] { Click(ITrayBackend::TClick::Right); }, false},
        {"left click", [&] { Click(ITrayBackend::TClick::Left); }, true},
        {"double click", [&] { Click(ITrayBackend::TClick::Double); }, true},
        {"Restore", [this] { Form.Restore1->trigger(); }, true},
        {"Restore, and the window manager minimises the window before it is on the screen",
         [this] {
             Form.Restore1->trigger();
             Form.setWindowState(Form.windowState() | Qt::WindowMinimized);
         },
         true},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Way);
        way.Act();
        Settle();
        EXPECT_EQ(Form.isVisible(), way.Restores);
        EXPECT_EQ(Form.isMinimized(), !way.Restores);
        if (way.Restores)
            minimize();
        EXPECT_FALSE(Form.isVisible());
    }

    // The panel goes away while the window is in it: the window gets its taskbar entry back.
    tray.SetAvailable(false);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_TRUE(Form.isMinimized());
    EXPECT_FALSE(Form.TrayIcon->WindowInTray());
    EXPECT_EQ(Window.Platform.Boxes.Shown.size(), 1);
}

// Started minimised with the tray option, the window waits unseen while the desktop says whether
// a panel shows the icon, and for a moment only: then, or when no panel takes the icon, it is
// minimised in the taskbar.
TEST_F(Tray, StartMinimizedGoesToTheTrayOnlyWithAnIcon) {
    const struct {
        bool MinToSysT;
        bool Area;
        bool Deciding;
        std::function<void(TFakeTrayHost&)> Then;
        bool InTray;
    } cases[] = {
        {false, true, false, {}, false},
        {true, true, false, {}, true},
        {true, false, false, {}, false},
        {true, false, true, [](TFakeTrayHost& tray) { tray.Answer(true); }, true},
        {true, false, true, [](TFakeTrayHost& tray) { tray.Answer(false); }, false},
        {true, false, true, [](TFakeTrayHost&) {}, false},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(testing::Message() << entry.MinToSysT << entry.Area << entry.Deciding
                                        << bool(entry.Then) << entry.InTray);
        TFormUnderTest window(TFormUnderTest::TStart::AsFirstInstance);
        TSVXForm& form = *window.Form;
        window.Platform.Tray.AreaPresent = entry.Area;
        window.Platform.Tray.Deciding = entry.Deciding;
        window.Platform.Boxes.Answers.clear();
        form.OptMinToSysT->setChecked(entry.MinToSysT);
        form.OptStartMinimized->setChecked(true);
        form.StartMinimizePending = true;
        form.MinimizeTI();
        EXPECT_FALSE(form.StartMinimizePending);
        if (entry.Then) {
            EXPECT_TRUE(form.TrayIcon->WindowInTray());
            EXPECT_FALSE(form.isVisible());
            entry.Then(window.Platform.Tray);
        }
        // One that is not answered in time stops waiting by itself.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return form.TrayIcon->WindowInTray() == entry.InTray; }, 10000));
        EXPECT_TRUE(form.isMinimized());
        if (entry.Deciding) {
            EXPECT_EQ(form.isVisible(), !entry.InTray);
        }
    }
}

} // namespace
