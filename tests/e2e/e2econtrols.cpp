// The fixture's hands on the main window: controls found by name through the offscreen twin,
// clicked and typed into as a user would, their states read back from pictures of the window.
#include "e2efixture.h"
#include "formlayout.h"
#include "toolrun.h"

namespace {

constexpr int ControlTimeoutMs = 10000;

QPoint ClientOrigin(const TWindow& window) {
    return window.Geometry.topLeft();
}

// Polls pictures of the window until `control` shows `state`.
bool WaitForControlState(const TDesktopDriver& desktop, const TWindow& window,
                         const QString& control, int state) {
    desktop.MoveTo(QPoint(0, 0));
    return WaitUntil(
        [&] {
            const QImage picture = desktop.WindowPicture(window.Id);
            return !picture.isNull() && TFormLayout::Get().ReadState(control, picture) == state;
        },
        ControlTimeoutMs, 30);
}

} // namespace

::testing::AssertionResult TE2ETest::ShowTab(const TWindow& window, TTab tab) {
    const QPoint point = TFormLayout::Get().TabPoint(int(tab));
    if (!FDesktop->ClickAt(ClientOrigin(window) + point))
        return ::testing::AssertionFailure() << "cannot click tab " << int(tab);
    // Until the window has repainted, a picture of it shows the page before: whatever is read
    // from it would be the old page's. Hovering changes how a tab looks.
    FDesktop->MoveTo(QPoint(0, 0));
    if (!WaitUntil(
            [&] {
                const QImage picture = FDesktop->WindowPicture(window.Id);
                return !picture.isNull() && TFormLayout::Get().ShowsPage(int(tab), picture);
            },
            ControlTimeoutMs, 30))
        return ::testing::AssertionFailure() << "tab " << int(tab) << " does not show";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::ClickControl(const TWindow& window, const QString& control) {
    const std::optional<TControlPlace> place = TFormLayout::Get().Place(control);
    if (!place)
        return ::testing::AssertionFailure()
               << "the window has no control " << control.toStdString();
    if (!FDesktop->Focus(window.Id))
        return ::testing::AssertionFailure() << "cannot focus " << window.Describe().toStdString();
    if (auto shown = ShowTab(window, TTab(place->Tab)); !shown)
        return shown;
    if (!FDesktop->ClickAt(ClientOrigin(window) + place->ClickPoint))
        return ::testing::AssertionFailure() << "cannot click " << control.toStdString();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::ChooseItem(const TWindow& window, const QString& comboBox,
                                                const QString& item) {
    const qsizetype index = TFormLayout::Get().ItemsOf(comboBox).indexOf(item);
    if (index < 0)
        return ::testing::AssertionFailure()
               << comboBox.toStdString() << " has no item " << item.toStdString();
    if (auto clicked = ClickControl(window, comboBox); !clicked)
        return clicked;
    // The list pops up in a window of its own; keys typed before it is there would go to the
    // closed list instead. It is at least as wide as the list's face, unlike a tooltip.
    const int minimumWidth = TFormLayout::Get().Place(comboBox)->StateRect.width();
    const std::optional<TWindow> popup = FDesktop->WaitForWindow(
        [&](const TWindow& other) {
            return other.Pid == window.Pid && other.Id != window.Id &&
                   other.Geometry.width() >= minimumWidth;
        },
        ControlTimeoutMs);
    if (!popup)
        return ::testing::AssertionFailure()
               << "the list of " << comboBox.toStdString() << " does not open";
    QStringList keys{QStringLiteral("Home")};
    for (qsizetype i = 0; i < index; ++i)
        keys << QStringLiteral("Down");
    keys << QStringLiteral("Return");
    if (!FDesktop->Keys(keys))
        return ::testing::AssertionFailure() << "cannot type into the list";
    if (!FDesktop->WaitForWindowGone(popup->Id, ControlTimeoutMs))
        return ::testing::AssertionFailure()
               << "the list of " << comboBox.toStdString() << " does not close";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::TypeInto(const TWindow& window, const QString& edit,
                                              const QString& text) {
    if (auto clicked = ClickControl(window, edit); !clicked)
        return clicked;
    if (!FDesktop->Keys({QStringLiteral("ctrl+a")}) || !FDesktop->Type(text))
        return ::testing::AssertionFailure() << "cannot type into " << edit.toStdString();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::SetActive(const TWindow& window, bool active) {
    const QString wanted = active ? ActiveCaption : InactiveCaption;
    if (FDesktop->WindowName(window.Id) == wanted)
        return ::testing::AssertionSuccess();
    if (auto clicked = ClickControl(window, QStringLiteral("OptActivate")); !clicked)
        return clicked;
    if (!FDesktop->WaitForWindowName(window.Id, wanted, ControlTimeoutMs))
        return ::testing::AssertionFailure()
               << "the caption stays \"" << FDesktop->WindowName(window.Id).toStdString()
               << "\" after clicking Activate";
    return ::testing::AssertionSuccess();
}

std::optional<int> TE2ETest::ReadControlState(const TWindow& window, const QString& control) {
    const std::optional<TControlPlace> place = TFormLayout::Get().Place(control);
    if (!place || place->StatePictures.isEmpty() || !ShowTab(window, TTab(place->Tab)))
        return std::nullopt;
    // The page is shown; the control may still be repainting: read until two pictures in a row
    // agree.
    std::optional<int> state;
    int agreeing = 0;
    WaitUntil(
        [&] {
            const QImage picture = FDesktop->WindowPicture(window.Id);
            const int shown =
                picture.isNull() ? -1 : TFormLayout::Get().ReadState(control, picture);
            agreeing = (state && *state == shown) ? agreeing + 1 : 0;
            state = shown;
            return shown >= 0 && agreeing >= 1;
        },
        ControlTimeoutMs, 30);
    if (!state || *state < 0)
        return std::nullopt;
    return state;
}

::testing::AssertionResult TE2ETest::SetChecked(const TWindow& window, const QString& control,
                                                bool checked) {
    const std::optional<int> shown = ReadControlState(window, control);
    if (!shown)
        return ::testing::AssertionFailure()
               << "cannot see whether " << control.toStdString() << " is checked";
    if (*shown == int(checked))
        return ::testing::AssertionSuccess();
    if (auto clicked = ClickControl(window, control); !clicked)
        return clicked;
    if (!WaitForControlState(*FDesktop, window, control, int(checked)))
        return ::testing::AssertionFailure() << control.toStdString() << " does not become "
                                             << (checked ? "checked" : "unchecked");
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult TE2ETest::PrepareCapture(const TWindow& window,
                                                    const QString& formatButton) {
    if (auto done = SetChecked(window, formatButton, true); !done)
        return done;
    if (auto done = TypeInto(window, QStringLiteral("NameEdit"), QStringLiteral("SV")); !done)
        return done;
    if (auto done = SetChecked(window, QStringLiteral("OptDigit"), true); !done)
        return done;
    return ChooseItem(window, QStringLiteral("OptMinImageSize"), QStringLiteral("any size"));
}

::testing::AssertionResult TE2ETest::StartCapturing(const QString& formatButton,
                                                    TChildProcess** program) {
    const auto [started, window] = StartWithWindow();
    if (program != nullptr)
        *program = started;
    if (auto prepared = PrepareCapture(window, formatButton); !prepared)
        return prepared;
    return SetActive(window, true);
}
