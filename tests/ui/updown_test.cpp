#include "ui/updown.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct TOffer {
    int Value;
    TUpDownDirection Direction;
    bool operator==(const TOffer&) const = default;
};

// An up-down bound to an edit, 1..7 at 4, recording every change it offers.
class UpDown : public testing::Test {
protected:
    UpDown() {
        Edit = new QLineEdit(&Host);
        Control = new TUpDown(&Host);
        Control->SetRange(1, 7);
        Control->SetPosition(4);
        Control->SetAssociate(Edit);
        Control->OnChangingEx = [this](QObject* sender, bool& allowChange, int newValue,
                                       TUpDownDirection direction) {
            EXPECT_EQ(sender, Control);
            Offers.push_back({newValue, direction});
            if (newValue == Refused)
                allowChange = false;
            if (Reaction)
                Reaction(newValue, allowChange);
        };
    }

    QWidget Host;
    QLineEdit* Edit = nullptr;
    TUpDown* Control = nullptr;
    std::vector<TOffer> Offers;
    int Refused = 0;
    std::function<void(int, bool&)> Reaction;
};

using D = TUpDownDirection;

TEST_F(UpDown, StopsAtItsLimitsWithoutWrapping) {
    for (int i = 0; i < 6; ++i)
        Control->StepUp();
    EXPECT_EQ(Control->Position(), 7);
    EXPECT_EQ(Edit->text(), QStringLiteral("7"));
    EXPECT_EQ(Offers, (std::vector<TOffer>{{5, D::updUp}, {6, D::updUp}, {7, D::updUp}}));

    Offers.clear();
    for (int i = 0; i < 9; ++i)
        Control->StepDown();
    EXPECT_EQ(Control->Position(), 1);
    EXPECT_EQ(Edit->text(), QStringLiteral("1"));
    EXPECT_EQ(Offers.size(), 6u);
    EXPECT_EQ(Offers.back(), (TOffer{1, D::updDown}));
}

TEST_F(UpDown, RefusedChangeLeavesPositionAndEditAlone) {
    Refused = 5;
    Control->StepUp();
    EXPECT_EQ(Control->Position(), 4);
    EXPECT_EQ(Edit->text(), QStringLiteral("4"));
    Control->SetPosition(5);
    EXPECT_EQ(Control->Position(), 4);
    EXPECT_EQ(Offers, (std::vector<TOffer>{{5, D::updUp}, {5, D::updUp}}));

    Control->SetPosition(6); // allowed
    Control->StepDown();     // 5 again: refused
    EXPECT_EQ(Control->Position(), 6);
    EXPECT_EQ(Edit->text(), QStringLiteral("6"));
}

TEST_F(UpDown, ProgramChangesAreClampedAndOffered) {
    Control->SetPosition(12);
    EXPECT_EQ(Control->Position(), 7);
    Control->SetPosition(7); // no change, nothing to offer
    Control->SetPosition(-3);
    EXPECT_EQ(Control->Position(), 1);
    EXPECT_EQ(Edit->text(), QStringLiteral("1"));
    EXPECT_EQ(Offers, (std::vector<TOffer>{{7, D::updUp}, {1, D::updDown}}));
}

// A handler may move the position itself and refuse the change it was offered (the naming
// code does so when it has to widen the digit count): its own position stands.
TEST_F(UpDown, PositionSetByTheHandlerStandsWhenItRefuses) {
    Reaction = [this](int newValue, bool& allowChange) {
        if (newValue == 3) {
            Control->SetPosition(5);
            allowChange = false;
        }
    };
    Control->StepDown();
    EXPECT_EQ(Control->Position(), 5);
    EXPECT_EQ(Edit->text(), QStringLiteral("5"));
}

TEST_F(UpDown, ArrowButtonsAndArrowKeysStep) {
    Host.resize(100, 40);
    Control->setGeometry(60, 0, 16, 21);
    const auto buttons = Control->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QToolButton* up = buttons[0]->arrowType() == Qt::UpArrow ? buttons[0] : buttons[1];
    QToolButton* down = up == buttons[0] ? buttons[1] : buttons[0];
    Host.show();
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(Control->Position(), 5);
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(Control->Position(), 3);

    QTest::keyClick(Edit, Qt::Key_Up);
    EXPECT_EQ(Edit->text(), QStringLiteral("4"));
    QTest::keyClick(Edit, Qt::Key_Down);
    QTest::keyClick(Edit, Qt::Key_Down);
    EXPECT_EQ(Control->Position(), 2);
}

} // namespace
