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
    if (HoldAsync) {
        Held.push_back(std::move(done));
        return;
    }
    if (done)
        done(answer);
}

TViewerHandle TFakeClipboardChain::Join() {
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

TFakePlatform::TFakePlatform() {
    TPlatform services;
    services.Boxes = &Boxes;
    services.Clipboard = &Clipboard;
    services.Desktop = &Desktop;
    services.Instance = &Instance;
    FScope = std::make_unique<TScopedPlatform>(services);
}
