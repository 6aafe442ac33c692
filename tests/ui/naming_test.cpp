// The naming controls of the Output tab: the example name, the digit count and the start field.
#include "formfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class Naming : public ::testing::Test {
protected:
    Naming() : Window(TFormUnderTest::TStart::AsFirstInstance), Form(*Window.Form) {
        Output = Window.Folder() + QStringLiteral("/out");
        QDir().mkpath(Output);
        Form.OutputDirEdit->setText(Output);
    }

    // Sets the digit count as the user would, one click at a time.
    void ClickDigitsTo(int digits) {
        while (Form.DigitsUD->Position() < digits)
            Form.DigitsUD->StepUp();
        while (Form.DigitsUD->Position() > digits)
            Form.DigitsUD->StepDown();
    }

    // Types `digits` into the start field and then deletes the digit at `blank`, as the user
    // would: the masked edit keeps a blank there.
    void TypeWithBlank(const QString& digits, int blank) {
        Form.OptDigitFrom->setText(digits);
        Form.OptDigitFrom->setCursorPosition(blank);
        Form.OptDigitFrom->del();
    }

    TFormUnderTest Window;
    TSVXForm& Form;
    QString Output;
};

TEST_F(Naming, StartUpBuildsTheStartFieldAndTheExample) {
    EXPECT_EQ(Form.OptDigitFrom->text(), "0000");
    EXPECT_EQ(Form.OptDigitFrom->inputMask(), "9999;_");
    EXPECT_EQ(Form.FileNameEx->text(), "SV0000.jpg");
}

TEST_F(Naming, ExampleFollowsEveryNamingControl) {
    Form.NameEdit->setText("SVX");
    EXPECT_EQ(Form.FileNameEx->text(), "SVX0000.jpg");
    Form.PngOut->setChecked(true);
    EXPECT_EQ(Form.FileNameEx->text(), "SVX0000.png");
    Form.OptDigitFrom->setText("0500");
    EXPECT_EQ(Form.FileNameEx->text(), "SVX0500.png");
    ASSERT_TRUE(Touch(Output + "/SVX0001.png"));
    Form.OptDigitAuto->setChecked(true);
    EXPECT_FALSE(Form.OptDigitFrom->isEnabled());
    EXPECT_EQ(Form.FileNameEx->text(), "SVX0002.png");
    Form.OptDigit->setChecked(true);
    EXPECT_TRUE(Form.OptDigitFrom->isEnabled());
    EXPECT_EQ(Form.FileNameEx->text(), "SVX0500.png");
    // A trailing slash or none: the same file.
    Form.OutputDirEdit->setText(Output + '/');
    EXPECT_EQ(Form.NextFilePath(), Output + "/SVX0500.png");
}

TEST_F(Naming, DigitCountRewritesTheStartField) {
    ClickDigitsTo(5);
    EXPECT_EQ(Form.OptDigitFrom->inputMask(), "99999;_");
    Form.OptDigitFrom->setText("12345");
    ClickDigitsTo(4);
    EXPECT_EQ(Form.OptDigitFrom->text(), "1234");
    ClickDigitsTo(5);
    Form.OptDigitFrom->setText("10000");
    ClickDigitsTo(4);
    EXPECT_EQ(Form.OptDigitFrom->text(), "1000");
    ClickDigitsTo(5);
    Form.OptDigitFrom->setText("00042");
    ClickDigitsTo(4);
    EXPECT_EQ(Form.OptDigitFrom->text(), "0042");
    ClickDigitsTo(5);
    EXPECT_EQ(Form.OptDigitFrom->text(), "00042");
    EXPECT_EQ(Form.FileNameEx->text(), "SV00042.jpg");
    EXPECT_EQ(Form.DigitsOverride, 0);
}

TEST_F(Naming, LoweringToAWidthThatIsAllTakenIsRefused) {
    ClickDigitsTo(2);
    Form.OptDigitFrom->setText("07");
    for (int i = 0; i <= 9; ++i)
        ASSERT_TRUE(Touch(Output + QStringLiteral("/SV%1.jpg").arg(i)));
    Form.DigitsUD->StepDown();
    EXPECT_EQ(Form.DigitsUD->Position(), 2);
    EXPECT_EQ(Form.DigitsEdit->text(), "2");
    EXPECT_EQ(Form.OptDigitFrom->inputMask(), "99;_");
    EXPECT_EQ(Form.OptDigitFrom->text(), "07");
    EXPECT_EQ(Form.FileNameEx->text(), "SV11.jpg");
    // With a gap it is allowed.
    QFile::remove(Output + "/SV8.jpg");
    Form.DigitsUD->StepDown();
    EXPECT_EQ(Form.DigitsUD->Position(), 1);
    EXPECT_EQ(Form.OptDigitFrom->text(), "7");
    EXPECT_EQ(Form.FileNameEx->text(), "SV8.jpg");
}

// A blank ends the number: "12_4" starts at 12. Qt's text() would drop the blank and read 124.
TEST_F(Naming, StartFieldIsReadWithItsBlanks) {
    TypeWithBlank("1234", 2);
    ASSERT_EQ(Form.OptDigitFrom->displayText(), "12_4");
    EXPECT_EQ(Form.FileNameEx->text(), "SV0012.jpg");

    ClickDigitsTo(5);
    TypeWithBlank("12345", 2);
    ClickDigitsTo(4);
    EXPECT_EQ(Form.OptDigitFrom->displayText(), "0012");

    // A refused change puts the blank back where it was.
    ClickDigitsTo(3);
    TypeWithBlank("107", 1);
    for (int i = 1; i <= 99; ++i)
        ASSERT_TRUE(Touch(Output + QStringLiteral("/SV%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
    Form.DigitsUD->StepDown();
    EXPECT_EQ(Form.DigitsUD->Position(), 3);
    EXPECT_EQ(Form.OptDigitFrom->displayText(), "1_7");
}

TEST_F(Naming, AspectModesFollowKeepAspect) {
    EXPECT_FALSE(Form.OptARExp->isEnabled());
    EXPECT_FALSE(Form.OptARShr->isEnabled());
    Form.OptAR->setChecked(true);
    EXPECT_TRUE(Form.OptARExp->isEnabled());
    EXPECT_TRUE(Form.OptARShr->isEnabled());
    Form.OptAR->setChecked(false);
    EXPECT_FALSE(Form.OptARExp->isEnabled());
}

} // namespace
