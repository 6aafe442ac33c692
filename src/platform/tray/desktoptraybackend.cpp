#include "platform/tray/desktoptraybackend.h"

#include "platform/tray/qttraybackend.h"
#include "platform/tray/snitraybackend.h"

#include <QMenu>

TDesktopTrayBackend::TDesktopTrayBackend(QObject* owner, const QString& busAddress)
    : ITrayBackend(owner) {
    FItem = new TSniTrayBackend(this, busAddress);
    connect(FItem, &ITrayBackend::Clicked, this, &ITrayBackend::Clicked);
    connect(FItem, &ITrayBackend::AvailabilityChanged, this, &TDesktopTrayBackend::Changed);
    connect(FItem, &TSniTrayBackend::WatcherChanged, this, &TDesktopTrayBackend::Changed);
    // Without a session bus it is known at once.
    if (NoItemHost())
        Make();
    FAvailable = Available();
    FDeciding = Deciding();
}

void TDesktopTrayBackend::Make() {
    if (FEmbedded != nullptr)
        return;
    FEmbedded = new TQtTrayBackend(this);
    FEmbedded->SetIcon(FIcon);
    FEmbedded->SetToolTip(FToolTip);
    FEmbedded->SetMenu(FMenu);
    connect(FEmbedded, &ITrayBackend::Clicked, this, &ITrayBackend::Clicked);
    connect(FEmbedded, &ITrayBackend::AvailabilityChanged, this, &TDesktopTrayBackend::Changed);
}

bool TDesktopTrayBackend::NoItemHost() const {
    return FItem->NoWatcher() || FItem->SaysNoHost();
}

ITrayBackend* TDesktopTrayBackend::Choose() const {
    if (FItem->Potential())
        return FItem;
    if (FEmbedded != nullptr && FEmbedded->Available())
        return FEmbedded;
    return nullptr;
}

bool TDesktopTrayBackend::Available() const {
    const ITrayBackend* chosen = Choose();
    return chosen != nullptr && chosen->Available();
}

bool TDesktopTrayBackend::Deciding() const {
    return !Available() && FItem->Deciding();
}

bool TDesktopTrayBackend::Show() {
    FWanted = true;
    FCurrent = Choose();
    // One icon at a time: the other way is taken down.
    for (ITrayBackend* backend :
         {static_cast<ITrayBackend*>(FItem), static_cast<ITrayBackend*>(FEmbedded)})
        if (backend != nullptr && backend != FCurrent)
            backend->Hide();
    if (FCurrent == nullptr)
        return false;
    FCurrent->SetIcon(FIcon);
    return FCurrent->Show();
}

void TDesktopTrayBackend::Hide() {
    FWanted = false;
    FCurrent = nullptr;
    FItem->Hide();
    if (FEmbedded != nullptr)
        FEmbedded->Hide();
}

void TDesktopTrayBackend::SetIcon(const QIcon& icon) {
    FIcon = icon;
    // Only the icon on show is sent each animation step.
    if (FCurrent != nullptr)
        FCurrent->SetIcon(icon);
}

void TDesktopTrayBackend::SetToolTip(const QString& text) {
    FToolTip = text;
    FItem->SetToolTip(text);
    if (FEmbedded != nullptr)
        FEmbedded->SetToolTip(text);
}

void TDesktopTrayBackend::SetMenu(QMenu* menu) {
    FMenu = menu;
    FItem->SetMenu(menu);
    if (FEmbedded != nullptr)
        FEmbedded->SetMenu(menu);
}

QString TDesktopTrayBackend::TakeActivationToken() {
    return FItem->TakeActivationToken();
}

void TDesktopTrayBackend::Changed() {
    // No panel for items: the XEmbed tray, if there is one, takes the icon.
    if (NoItemHost())
        Make();
    // Somewhere to show it, maybe another way now: the icon moves along.
    ITrayBackend* chosen = Choose();
    if (FWanted && chosen != nullptr && chosen != FCurrent)
        Show();
    if (chosen == nullptr)
        FCurrent = nullptr;
    const bool available = Available();
    const bool deciding = Deciding();
    if (available == FAvailable && deciding == FDeciding)
        return;
    FAvailable = available;
    FDeciding = deciding;
    emit AvailabilityChanged(available);
}
