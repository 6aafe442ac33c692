#include "ui/updown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto makeArrow = [this, layout](Qt::ArrowType arrow) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
        return button;
    };
    FUp = makeArrow(Qt::UpArrow);
    FDown = makeArrow(Qt::DownArrow);
    SetSubject(QString());
    connect(FUp, &QToolButton::clicked, this, &TUpDown::StepUp);
    connect(FDown, &QToolButton::clicked, this, &TUpDown::StepDown);
    // Keyboard use goes through the associate edit, as with the classic up-down control.
    setFocusPolicy(Qt::NoFocus);
}

void TUpDown::SetRange(int min, int max) {
    FMin = min;
    FMax = std::max(min, max);
    // A range change only keeps the position inside; it is not a change to offer.
    Apply(std::clamp(FPosition, FMin, FMax));
}

void TUpDown::SetPosition(int value) {
    const int target = std::clamp(value, FMin, FMax);
    if (target == FPosition)
        return;
    const auto direction = target > FPosition ? TUpDownDirection::updUp : TUpDownDirection::updDown;
    if (Offer(target, direction))
        Apply(target);
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    if (FAssociate)
        FAssociate->removeEventFilter(this);
    FAssociate = edit;
    if (FAssociate) {
        FAssociate->installEventFilter(this);
        FAssociate->setText(QString::number(FPosition));
    }
}

void TUpDown::SetSubject(const QString& subject) {
    setAccessibleName(subject);
    const auto arrowName = [&subject](const QString& direction) {
        return subject.isEmpty() ? direction : direction + QLatin1Char(' ') + subject;
    };
    FUp->setAccessibleName(arrowName(QStringLiteral("Increase")));
    FDown->setAccessibleName(arrowName(QStringLiteral("Decrease")));
}

void TUpDown::StepUp() {
    if (FPosition >= FMax)
        return; // no wrap-around
    // Computed before the offer: the handler may itself move the position.
    const int next = FPosition + 1;
    if (Offer(next, TUpDownDirection::updUp))
        Apply(next);
}

void TUpDown::StepDown() {
    if (FPosition <= FMin)
        return;
    const int next = FPosition - 1;
    if (Offer(next, TUpDownDirection::updDown))
        Apply(next);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FAssociate && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up) {
            StepUp();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            StepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TUpDown::Offer(int newValue, TUpDownDirection direction) {
    bool allowChange = true;
    if (OnChangingEx)
        OnChangingEx(this, allowChange, newValue, direction);
    return allowChange;
}

void TUpDown::Apply(int value) {
    const bool changed = value != FPosition;
    FPosition = value;
    if (FAssociate)
        FAssociate->setText(QString::number(value));
    if (changed)
        emit PositionChanged(value);
}
