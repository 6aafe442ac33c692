#include "formfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {

const std::vector<std::vector<const char*>> Groups{
    {"BeepStd", "BeepPCSpk", "BeepWav"}, {"BitmapOut", "JpgOut", "PngOut"},
    {"OptDigit", "OptDigitAuto"},        {"OptARExp", "OptARShr"},
    {"JPEG8bit", "JPEG24bit"},
};

class RadioGroups : public testing::Test {
protected:
    TFormUnderTest Window{TFormUnderTest::TStart::AsSecondInstance};
    TSVXForm& Form = *Window.Form;

    QRadioButton* Radio(const char* name) const {
        return Form.findChild<QRadioButton*>(QString::fromLatin1(name));
    }

    QMap<QString, bool> States() const {
        QMap<QString, bool> states;
        for (const auto& group : Groups)
            for (const char* name : group)
                states.insert(QString::fromLatin1(name), Radio(name)->isChecked());
        return states;
    }
};

TEST_F(RadioGroups, CheckingOneUnchecksOnlyItsOwnGroup) {
    for (const auto& group : Groups) {
        for (const char* chosen : group) {
            SCOPED_TRACE(chosen);
            QMap<QString, bool> expected = States();
            for (const char* name : group)
                expected[QString::fromLatin1(name)] = false;
            expected[QString::fromLatin1(chosen)] = true;
            Radio(chosen)->setChecked(true);
            EXPECT_EQ(States(), expected);
        }
    }
}

// The frames are drawn behind their buttons and are not their parents.
TEST_F(RadioGroups, FramesStandBehindTheirButtons) {
    Form.show();
    for (auto [frameName, buttons] :
         {std::pair{"FrameFileFormat",
                    std::vector<QRadioButton*>{Form.BitmapOut, Form.JpgOut, Form.PngOut}},
          std::pair{"FrameColorDepth",
                    std::vector<QRadioButton*>{Form.JPEG8bit, Form.JPEG24bit}}}) {
        SCOPED_TRACE(frameName);
        auto* frame = Form.findChild<QGroupBox*>(QString::fromLatin1(frameName));
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->findChildren<QWidget*>().isEmpty());
        Form.SVXPageCtrl->setCurrentWidget(buttons.front()->parentWidget());
        for (QRadioButton* button : buttons) {
            EXPECT_EQ(button->parentWidget(), frame->parentWidget());
            EXPECT_TRUE(frame->geometry().contains(button->geometry()));
            const QPoint centre = button->geometry().center();
            QWidget* top = button->parentWidget()->childAt(centre);
            EXPECT_TRUE(top == button || button->isAncestorOf(top));
        }
    }
}

// Walks the focus with the Tab key from `start` until it comes round; returns what it met.
std::set<QWidget*> TabStops(QWidget* start) {
    std::set<QWidget*> met;
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 200; ++i) {
        QWidget* focused = QApplication::focusWidget();
        if (focused == nullptr || !met.insert(focused).second)
            break;
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    return met;
}

TEST_F(RadioGroups, OnlyTheCheckedButtonIsATabStop) {
    Form.show();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Form.SVXPageCtrl->setCurrentWidget(Form.TabSetup);
    std::set<QWidget*> stops = TabStops(Form.OptActivate);
    EXPECT_TRUE(stops.count(Form.OptBeep2));
    EXPECT_TRUE(stops.count(Form.BeepStd));
    EXPECT_FALSE(stops.count(Form.BeepPCSpk));
    EXPECT_FALSE(stops.count(Form.BeepWav));

    Form.BeepWav->setChecked(true);
    stops = TabStops(Form.OptActivate);
    EXPECT_FALSE(stops.count(Form.BeepStd));
    EXPECT_TRUE(stops.count(Form.BeepWav));

    // Arrow keys move within the group and check as they go.
    Form.BeepWav->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Form.BeepWav, Qt::Key_Up);
    EXPECT_TRUE(Form.BeepPCSpk->isChecked());
    EXPECT_TRUE(Form.BeepPCSpk->hasFocus());
}

} // namespace
