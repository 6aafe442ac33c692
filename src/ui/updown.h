#pragma once

#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

enum class TUpDownDirection { updNone, updUp, updDown };

// An up-down control bound to an edit that shows its position. A change is first offered to
// OnChangingEx, which may refuse it, and only then applied: unlike QSpinBox, which changes
// first and tells afterwards. No wrap-around at the limits.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    using TChangingEx = std::function<void(QObject* sender, bool& allowChange, int newValue,
                                           TUpDownDirection direction)>;

    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void SetRange(int min, int max);
    int Position() const { return FPosition; }
    // A program change: offered to OnChangingEx like a click, applied when allowed.
    void SetPosition(int value);
    void SetAssociate(QLineEdit* edit);
    QLineEdit* Associate() const { return FAssociate; }
    // Names the control after what it changes (its edit's label), and its arrows after their
    // direction and that, for assistive tools: the arrows show no text of their own.
    void SetSubject(const QString& subject);

    TChangingEx OnChangingEx;

    // The user's clicks on the arrows.
    void StepUp();
    void StepDown();

signals:
    void PositionChanged(int position);

private:
    // Up and down arrow keys in the associate edit step the position, as clicks do.
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool Offer(int newValue, TUpDownDirection direction);
    void Apply(int value);

    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    QLineEdit* FAssociate = nullptr;
    QToolButton* FUp = nullptr;
    QToolButton* FDown = nullptr;
};
