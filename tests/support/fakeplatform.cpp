#include "fakeplatform.h"

#include "platform/clipboard/picturehash.h"

#include <QWidget>
#include <stdexcept>

TBoxResult TFakeMessageBoxes::Show(const TBoxRequest& request) {
    Shown.append(request);
    if (WhileOpen)
        std::exchange(WhileOpen, {})();
    if (Answers.empty())
        return request.Buttons == TBoxButtons::YesNo ? TBoxResult::Yes : TBoxResult::Ok;
    const TBoxResult answer = Answers.front();
    Answers.pop_front();
    return answer;
}

std::function<void()> TFakeMessageBoxes::ShowAsync(const TBoxRequest& request,
                                                   std::function<void(TBoxResult)> done) {
    const TBoxResult answer = Show(request);
    if (HoldAsync)
        Held.push_back(std::move(done));
    else if (done)
        done(answer);
    return [this] { ++TakenDown; };
}

TViewerHandle TFakeClipboardChain::Join() {
    if (JoinThrows)
        throw std::runtime_error("cannot join the clipboard");
    Joined = true;
    if (BeforeJoin)
        BeforeJoin();
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

std::optional<quint64> TFakeClipboardChain::ImageHash() {
    return Image && !Unhashed ? PictureHash(*Image) : std::nullopt;
}

void TFakeClipboardChain::Offer(bool offersImage, std::optional<QImage> image) {
    OfferImage = offersImage;
    Image = std::move(image);
    // As the real clipboards: while capture is off a change is not even fetched.
    if (Capturing)
        emit DrawClipboard();
}

void TFakeClipboardChain::SetImage(const QImage& image) {
    Offer(true, image);
}

void TFakeClipboardChain::SetText() {
    Offer(false, std::nullopt);
}

void TFakeClipboardChain::SetBrokenImage() {
    Offer(true, std::nullopt);
}

std::optional<QString> TFakeDesktop::ChooseFolder(const QString& title, QWidget*) {
    FolderTitle = title;
    return FolderAnswer;
}

void TFakeDesktop::ShowHelpPopup(const QString& text, const QPoint& screenPos) {
    Popups.append({text, screenPos});
}

void TFakeDesktop::ActivateWindow(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    IDesktop::ActivateWindow(window);
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

void TFakeTrayBackend::SetIcon(const QIcon& icon) {
    Icon = icon;
    ++IconChanges;
}

ITrayBackend* TFakeTrayHost::CreateIcon(QObject* owner) {
    auto* icon = new TFakeTrayBackend(owner);
    icon->Area = &AreaPresent;
    icon->Undecided = &Deciding;
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

TFakePlatform::TFakePlatform() {
    TPlatform services;
    services.Boxes = &Boxes;
    services.Clipboard = &Clipboard;
    services.Desktop = &Desktop;
    services.Instance = &Instance;
    services.AutoStart = &AutoStart;
    services.Tray = &Tray;
    services.Threads = &Threads;
    services.Sound = &Sound;
    FScope = std::make_unique<TScopedPlatform>(services);
}
