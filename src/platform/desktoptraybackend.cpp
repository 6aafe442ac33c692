#include "platform/desktoptraybackend.h"

#include "platform/qttraybackend.h"
#include "platform/snitraybackend.h"

#include <QMenu>

TDesktopTrayBackend::TDesktopTrayBackend(QObject* owner) : ITrayBackend(owner) {
    FItem = new TSniTrayBackend(this);
    connect(FItem, &ITrayBackend::Clicked, this, &ITrayBackend::Clicked);
    connect(FItem, &ITrayBackend::AvailabilityChanged, this, &TDesktopTrayBackend::Changed);
    if (!FItem->Available())
        Make();
    FAvailable = Available();
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

ITrayBackend* TDesktopTrayBackend::Choose() const {
    if (FItem->Available())
        return FItem;
    if (FEmbedded != nullptr && FEmbedded->Available())
        return FEmbedded;
    return nullptr;
}

bool TDesktopTrayBackend::Available() const {
    return Choose() != nullptr;
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

void TDesktopTrayBackend::Changed() {
    // The item host has gone: the XEmbed tray, if there is one, takes the icon.
    if (!FItem->Available())
        Make();
    const bool available = Available();
    if (available == FAvailable) {
        // Still somewhere to show it, but maybe another way now: the icon moves along.
        if (available && FWanted)
            Show();
        return;
    }
    FAvailable = available;
    if (!available)
        FCurrent = nullptr;
    emit AvailabilityChanged(available);
}
