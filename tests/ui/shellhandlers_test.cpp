#include "formfixture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ShellHandlers : public testing::Test {
protected:
    TFormUnderTest Window{TFormUnderTest::TStart::AsFirstInstance};
    TSVXForm& Form = *Window.Form;
    TFakeDesktop& Desktop = Window.Platform.Desktop;
};

TEST_F(ShellHandlers, ChosenFolderGoesIntoTheOutputDirectory) {
    const struct {
        const char* Answer;
        const char* Shown;
    } cases[] = {
        {"/", "/"}, // the root keeps its slash
        {"/home/user/shots", "/home/user/shots"},
        {"/home/user/shots/", "/home/user/shots"}, // other folders go without one
        {"/srv/with blank", "/srv/with blank"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.Answer);
        Desktop.FolderAnswer = QString::fromUtf8(entry.Answer);
        Form.ChoutDir->click();
        EXPECT_EQ(Desktop.FolderTitle, QStringLiteral("Select Directory"));
        EXPECT_EQ(Form.OutputDirEdit->text(), QString::fromUtf8(entry.Shown));
    }
}

TEST_F(ShellHandlers, CancelledChooserChangesNothing) {
    Form.OutputDirEdit->setText(QStringLiteral("/data/pics"));
    const QString example = Form.FileNameEx->text();
    int changes = 0;
    QObject::connect(Form.OutputDirEdit, &QLineEdit::textChanged, [&changes] { ++changes; });
    Desktop.FolderAnswer.reset();
    Form.ChooseOutDir(nullptr);
    Desktop.FolderAnswer = QString();
    Form.ChooseOutDir(nullptr);
    EXPECT_EQ(Form.OutputDirEdit->text(), QStringLiteral("/data/pics"));
    EXPECT_EQ(Form.FileNameEx->text(), example);
    EXPECT_EQ(changes, 0);
}

TEST_F(ShellHandlers, LinksOpenTheirPagesOnALeftClickOrSpaceAndEnter) {
    Form.show();
    Form.SVXPageCtrl->setCurrentWidget(Form.TabAbout);
    QTest::mouseClick(Form.Label16, Qt::RightButton);
    EXPECT_TRUE(Desktop.Opened.isEmpty());
    QTest::mouseClick(Form.Label16, Qt::LeftButton);
    QTest::keyClick(Form.Label16, Qt::Key_Tab); // the next tab stop
    EXPECT_EQ(Form.focusWidget(), Form.Image2);
    // Held down, the key repeats its press: the page opens once.
    for (const bool repeated : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), repeated);
        QCoreApplication::sendEvent(Form.Image2, &press);
    }
    QTest::mouseClick(Form.Image2, Qt::LeftButton);
    ASSERT_EQ(Desktop.Opened.size(), 3);
    EXPECT_TRUE(Desktop.Opened[0].contains(QStringLiteral("fennmoor")));
    EXPECT_TRUE(Desktop.Opened[1].contains(QStringLiteral("libmng")));
}

TEST_F(ShellHandlers, LogoArmsTheFinalizeActionOnlyOnADoubleClick) {
    Form.show();
    Form.SVXPageCtrl->setCurrentWidget(Form.TabAbout);
    QTest::mouseClick(Form.Image1, Qt::LeftButton);
    EXPECT_FALSE(Form.FinalizeArmed);
    QTest::mouseDClick(Form.Image1, Qt::LeftButton);
    EXPECT_TRUE(Form.FinalizeArmed);
}

TEST_F(ShellHandlers, BaseNameTakesAtMostEightCharacters) {
    Form.NameEdit->clear();
    QTest::keyClicks(Form.NameEdit, QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(Form.NameEdit->text(), QStringLiteral("ABCDEFGH"));
    Form.NameEdit->setText(QStringLiteral("0123456789"));
    EXPECT_EQ(Form.NameEdit->text(), QStringLiteral("01234567"));
}

} // namespace
