#include "formfixture.h"
#include "ui/helptopics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ContextHelp : public testing::Test {
protected:
    TFormUnderTest Window{TFormUnderTest::TStart::AsSecondInstance};
    TSVXForm& Form = *Window.Form;
    QList<std::pair<QString, QPoint>>& Popups = Window.Platform.Desktop.Popups;

    // Presses F1 on `widget` as the focused control of its page.
    void PressF1On(QWidget* widget) {
        for (QWidget* page = widget; page; page = page->parentWidget()) {
            const int index = Form.SVXPageCtrl->indexOf(page);
            if (index >= 0)
                Form.SVXPageCtrl->setCurrentIndex(index);
        }
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_EQ(Form.focusWidget(), widget);
        QTest::keyClick(widget, Qt::Key_F1);
    }

    static QString Topic(int context) { return ReadHelpTopic(ShippedHelpFile(), context); }
};

TEST_F(ContextHelp, F1ShowsTheTopicOfTheControlOrItsNearestContainer) {
    Form.show();
    const struct {
        QWidget* Control;
        int Context;
    } cases[] = {
        {Form.OptActivate, 7},       // its own
        {Form.OptMinToSysT, 100},    // group "Snapvault"
        {Form.OptMinImageSize, 101}, // group "Grabbing"
        {Form.BeepPCSpk, 102},       // sound group
        {Form.Beep2FileName, 102},   // sound panel inside it
        {Form.OptBeep1, 2},          // General page
        {Form.OutputDirEdit, 6},     // its own
        {Form.NameEdit, 104},        // group "File name and directory"
        {Form.OptResizeTo, 105},     // group "Output image settings"
        {Form.ThreadPriority, 106},  // group "Thread priority"
        {Form.JpgOut, 3},            // in front of the frame "File format", on the page
        {Form.JPEGGray, 4},          // a group without a context of its own
        {Form.RestoreDefaults, 4},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.Control->objectName().toStdString());
        Popups.clear();
        PressF1On(entry.Control);
        ASSERT_EQ(Popups.size(), 1);
        EXPECT_EQ(Popups[0].first, Topic(entry.Context));
        EXPECT_EQ(Popups[0].second, entry.Control->mapToGlobal(QPoint(0, 0)));
    }
}

TEST_F(ContextHelp, PageControlAndPagesCarryTheirContexts) {
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.SVXPageCtrl->tabBar()), 1);
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.TabSetup), 2);
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.TabOutput), 3);
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.TabJPGOpts), 4);
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.Thumbnail), 5);
    EXPECT_EQ(TSVXForm::HelpContextOf(Form.Label16), 1);
    EXPECT_EQ(TSVXForm::HelpContextOf(&Form), 0);
    EXPECT_EQ(TSVXForm::HelpContextOf(nullptr), 0);
}

TEST_F(ContextHelp, NothingWithoutAContextOrWithoutATopic) {
    Form.show();
    Form.setFocus();
    QTest::keyClick(&Form, Qt::Key_F1);
    EXPECT_TRUE(Popups.isEmpty());

    // No help file in the working folder: no pop-up either.
    QFile::remove(QDir(Window.Folder()).filePath(QStringLiteral("Svx.hlp")));
    PressF1On(Form.OptActivate);
    EXPECT_TRUE(Popups.isEmpty());
}

TEST_F(ContextHelp, OtherKeysAreNotHelp) {
    Form.show();
    Form.OptActivate->setFocus();
    QTest::keyClick(Form.OptActivate, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(Form.OptActivate, Qt::Key_F2);
    EXPECT_TRUE(Popups.isEmpty());
}

TEST(HelpFile, HasATopicForEveryContext) {
    for (int context : {1, 2, 3, 4, 5, 6, 7, 100, 101, 102, 103, 104, 105, 106}) {
        SCOPED_TRACE(context);
        const QString topic = ReadHelpTopic(ShippedHelpFile(), context);
        EXPECT_GT(topic.size(), 40);
        // Never runs into the next topic.
        EXPECT_FALSE(topic.contains(QRegularExpression(QStringLiteral("^\\[\\d+\\]"),
                                                       QRegularExpression::MultilineOption)));
    }
    EXPECT_TRUE(ReadHelpTopic(ShippedHelpFile(), 8).isEmpty());
}

TEST(HelpFile, TopicsRunToTheNextHeaderAndSkipRemarks) {
    const QString text =
        QStringLiteral("# remark\r\n[1]\r\nFirst line\r\n# hidden\r\n\r\nSecond\r\n"
                       "[10]\nTen\n[2] \nTwo\n");
    EXPECT_EQ(HelpTopicFromText(text, 1), QStringLiteral("First line\n\nSecond"));
    EXPECT_EQ(HelpTopicFromText(text, 10), QStringLiteral("Ten"));
    EXPECT_EQ(HelpTopicFromText(text, 2), QStringLiteral("Two"));
    EXPECT_TRUE(HelpTopicFromText(text, 0).isEmpty());
    EXPECT_TRUE(HelpTopicFromText(text, 3).isEmpty());
    EXPECT_TRUE(ReadHelpTopic(QStringLiteral("/nonexistent/Svx.hlp"), 1).isEmpty());
}

} // namespace
