#include "fakeplatform.h"

TBoxResult TFakeMessageBoxes::Show(const TBoxRequest& request) {
    Shown.append(request);
    if (Answers.empty())
        return request.Buttons == TBoxButtons::YesNo ? TBoxResult::Yes : TBoxResult::Ok;
    const TBoxResult answer = Answers.front();
    Answers.pop_front();
    return answer;
}

void TFakeMessageBoxes::ShowAsync(const TBoxRequest& request,
                                  std::function<void(TBoxResult)> done) {
    const TBoxResult answer = Show(request);
    if (done)
        done(answer);
}

TViewerHandle TFakeClipboardChain::Join() {
    Joined = true;
    emit DrawClipboard();
    return JoinAnswer;
}

void TFakeClipboardChain::Leave(TViewerHandle next) {
    Left = true;
    LeftWithNext = next;
}

void TFakeClipboardChain::SendDrawClipboard(TViewerHandle viewer) {
    DrawSentTo.append(viewer);
}

void TFakeClipboardChain::SendChangeChain(TViewerHandle viewer, TViewerHandle removed,
                                          TViewerHandle next) {
    ChangeSent.append({viewer, removed, next});
}

std::optional<QImage> TFakeClipboardChain::CopyImage() {
    return Image;
}

void TFakeClipboardChain::SetImage(const QImage& image) {
    OfferImage = true;
    Image = image;
    emit DrawClipboard();
}

void TFakeClipboardChain::SetText() {
    OfferImage = false;
    Image.reset();
    emit DrawClipboard();
}

void TFakeClipboardChain::SetBrokenImage() {
    OfferImage = true;
    Image.reset();
    emit DrawClipboard();
}

std::optional<QString> TFakeDesktop::ChooseFolder(const QString& title, QWidget*) {
    FolderTitle = title;
    return FolderAnswer;
}

void TFakeDesktop::ShowHelpPopup(const QString& text, const QPoint& screenPos) {
    Popups.append({text, screenPos});
}

bool TFakeSingleInstance::AcquireLock() {
    if (OtherRunning)
        return false;
    Locked = true;
    return true;
}

bool TFakeSingleInstance::Publish(std::function<void()> onClose) {
    OnClose = std::move(onClose);
    return CanPublish;
}

ISingleInstance::TCloseResult TFakeSingleInstance::RequestClose() {
    ++CloseRequests;
    return CloseAnswer;
}

namespace {
struct TFakeWave : IWaveSound {
    explicit TFakeWave(const QString& name) : Name(name) {}
    QString Name;
};
} // namespace

std::shared_ptr<IWaveSound> TFakeSoundServer::OpenWave(const QString& fileName) {
    if (Unplayable.contains(fileName)) {
        Log.append(QStringLiteral("bad:") + fileName);
        return nullptr;
    }
    Log.append(QStringLiteral("open:") + fileName);
    return std::make_shared<TFakeWave>(fileName);
}

void TFakeSoundServer::Play(std::shared_ptr<IWaveSound> sound) {
    Log.append(QStringLiteral("play:") + static_cast<TFakeWave&>(*sound).Name);
}

void TFakeSoundServer::PlaySystemSound(TSystemSound sound) {
    const char* names[] = {"bell", "info", "beep"};
    Log.append(QString::fromLatin1(names[static_cast<int>(sound)]));
}

void TFakeTrayBackend::SetIcon(const QIcon& icon) {
    Icon = icon;
    ++IconChanges;
}

ITrayBackend* TFakeTrayHost::CreateIcon(QObject* owner) {
    auto* icon = new TFakeTrayBackend(owner);
    icon->Area = &AreaPresent;
    Icons.append(icon);
    return icon;
}

void TFakeTrayHost::SetAvailable(bool available) {
    AreaPresent = available;
    for (TFakeTrayBackend* icon : Icons) {
        if (icon != nullptr) {
            if (!available)
                icon->Shown = false;
            emit icon->AvailabilityChanged(available);
        }
    }
}

TFakePlatform::TFakePlatform() {
    TPlatform services;
    services.Boxes = &Boxes;
    services.Clipboard = &Clipboard;
    services.Desktop = &Desktop;
    services.Instance = &Instance;
    services.Sound = &Sound;
    services.AutoStart = &AutoStart;
    services.Tray = &Tray;
    FScope = std::make_unique<TScopedPlatform>(services);
}
