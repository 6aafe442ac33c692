#include "platform/session/qtdesktop.h"

#include "platform/session/windowactivation.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QUrl>

// The pop-up normally goes when the application quits; a window must not outlive it.
TQtDesktop::~TQtDesktop() {
    if (QCoreApplication::instance() != nullptr)
        delete FPopup.data();
}

std::optional<QString> TQtDesktop::ChooseFolder(const QString& title, QWidget* owner) {
    // Starts with no folder preselected, file-system folders only.
    const QString folder =
        QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void TQtDesktop::OpenUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void TQtDesktop::ShowHelpPopup(const QString& text, const QPoint& screenPos) {
    if (FPopup.isNull()) {
        // A pop-up closes itself on the next click anywhere, like a context-help topic.
        FPopup = new QLabel(nullptr, Qt::Popup);
        FPopup->setObjectName(QStringLiteral("HelpPopup"));
        FPopup->setWordWrap(true);
        FPopup->setMargin(8);
        FPopup->setMaximumWidth(360);
        FPopup->setFrameStyle(QFrame::Box | QFrame::Plain);
        FPopup->setStyleSheet(QStringLiteral("background: #ffffe1; color: black;"));
        QLabel* popup = FPopup.data();
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, popup,
                         [popup] { delete popup; });
    }
    FPopup->setText(text);
    FPopup->adjustSize();
    FPopup->move(screenPos);
    FPopup->show();
}

void TQtDesktop::ShowNormal(QWidget* window) {
    // Only a window the toolkit has withdrawn: one it still shows, taken down behind its back,
    // would never be mapped again.
    if (window->testAttribute(Qt::WA_WState_Created) && !window->isVisible())
        PrepareX11Map(window->winId());
    IDesktop::ShowNormal(window);
}

void TQtDesktop::ActivateWindow(QWidget* window) {
    window->activateWindow();
    RequestX11Activation(window->winId());
}
