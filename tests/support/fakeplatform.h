#pragma once

#include "platform/clipboard/clipboardchain.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/session/autostart.h"
#include "platform/session/desktop.h"
#include "platform/session/singleinstance.h"
#include "platform/sound/soundserver.h"
#include "platform/threadstarter.h"
#include "platform/tray/traybackend.h"

#include <QList>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

// Message boxes that record what was shown and answer from a queue (Ok / Yes by default).
class TFakeMessageBoxes : public IMessageBoxes {
public:
    TBoxResult Show(const TBoxRequest& request) override;
    std::function<void()> ShowAsync(const TBoxRequest& request,
                                    std::function<void(TBoxResult)> done) override;

    QList<TBoxRequest> Shown;
    int TakenDown = 0; // boxes taken down unanswered
    std::deque<TBoxResult> Answers;
    // Runs once, inside the next box, as if it happened while the user reads it.
    std::function<void()> WhileOpen;
    // With HoldAsync, a box shown without waiting stays open until the test answers it.
    bool HoldAsync = false;
    std::deque<std::function<void(TBoxResult)>> Held;
};

// A clipboard with an emulated viewer chain: the test decides what is offered and records what
// the window passes on.
class TFakeClipboardChain : public IClipboardChain {
    Q_OBJECT
public:
    TViewerHandle Join() override;
    void Leave(TViewerHandle next) override;
    void SendDrawClipboard(TViewerHandle viewer) override;
    void SendChangeChain(TViewerHandle viewer, TViewerHandle removed, TViewerHandle next) override;
    bool HasImage() override { return OfferImage; }
    std::optional<QImage> CopyImage() override;
    std::optional<quint64> ImageHash() override;
    void SetCapturing(bool capturing) override { Capturing = capturing; }

    // Puts a picture on the clipboard and announces the change.
    void SetImage(const QImage& image);
    // Puts text on the clipboard and announces the change.
    void SetText();
    // An image is offered, but the transfer fails.
    void SetBrokenImage();

    TViewerHandle JoinAnswer = 0; // the next viewer Join returns
    bool JoinThrows = false;      // joining fails with an exception
    // Runs as the window joins, before the first notice.
    std::function<void()> BeforeJoin;
    bool Joined = false;
    bool Left = false;
    TViewerHandle LeftWithNext = 0;
    bool OfferImage = false;
    std::optional<QImage> Image;
    QList<TViewerHandle> DrawSentTo;
    QList<std::tuple<TViewerHandle, TViewerHandle, TViewerHandle>> ChangeSent;
    bool Capturing = true; // as the window last set it
    bool Unhashed = false; // no fingerprint can be had for the pictures

private:
    void Offer(bool offersImage, std::optional<QImage> image);
};

class TFakeDesktop : public IDesktop {
public:
    std::optional<QString> ChooseFolder(const QString& title, QWidget* owner) override;
    void OpenUrl(const QString& url) override { Opened.append(url); }
    void ShowHelpPopup(const QString& text, const QPoint& screenPos) override;
    // As a window manager does, also brings the window back from being minimised.
    void ActivateWindow(QWidget* window) override;

    std::optional<QString> FolderAnswer;
    QString FolderTitle;
    QList<QString> Opened;
    QList<std::pair<QString, QPoint>> Popups;
};

class TFakeSingleInstance : public ISingleInstance {
public:
    bool HasPrivateFolder() const override { return PrivateFolder; }
    bool AcquireLock() override;
    void ReleaseLock() override {
        Locked = false;
        OnClose = nullptr;
    }
    bool Publish(std::function<void()> onClose) override;
    TCloseResult RequestClose() override;

    bool OtherRunning = false; // the lock is held by another instance
    bool PrivateFolder = true;
    bool CanPublish = true;
    TCloseResult CloseAnswer = TCloseResult::Closed;
    bool Locked = false;
    int CloseRequests = 0;
    std::function<void()> OnClose;
};

// Start at login kept in memory: the entry exists or not, the installation is there or not.
class TFakeAutoStart : public IAutoStart {
public:
    QString SetEntry(bool enable, const QString& programPath) override {
        if (!Failure.isEmpty())
            return Failure;
        EntryProgram = enable ? std::optional<QString>(programPath) : std::nullopt;
        return {};
    }
    bool InstallationPresent(const QString&) override { return Installed; }

    std::optional<QString> EntryProgram; // the program the entry starts, when there is one
    bool Installed = false;
    QString Failure; // answered by every change when not empty
};

// A notification area the test switches on and off; the icon records what it was given.
class TFakeTrayBackend : public ITrayBackend {
    Q_OBJECT
public:
    using ITrayBackend::ITrayBackend;
    bool Available() const override { return *Area; }
    bool Deciding() const override { return *Undecided; }
    bool Show() override { return Shown = *Area; }
    void Hide() override { Shown = false; }
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override { ToolTip = text; }
    void SetMenu(QMenu* menu) override { Menu = menu; }

    const bool* Area = nullptr;
    const bool* Undecided = nullptr;
    bool Shown = false;
    QIcon Icon;
    int IconChanges = 0;
    QString ToolTip;
    QMenu* Menu = nullptr;
};

class TFakeTrayHost : public ITrayHost {
public:
    ITrayBackend* CreateIcon(QObject* owner) override;
    // A notification area comes or goes; every icon is told.
    void SetAvailable(bool available);
    // The desktop, asked whether a panel shows the icon, answers.
    void Answer(bool panel) {
        Deciding = false;
        SetAvailable(panel);
    }

    bool AreaPresent = true;
    bool Deciding = false;
    QList<QPointer<TFakeTrayBackend>> Icons; // the last is the window's
};

// Starts threads, or refuses as a system without room for another would.
class TFakeThreadStarter : public TQtThreadStarter {
public:
    int Start(QThread& thread) override {
        return Refusal != 0 ? Refusal : TQtThreadStarter::Start(thread);
    }
    int Refusal = 0; // the error code to refuse with; 0: start
};

// A sound server that records what it is asked in `Log`: "open:NAME" (or "bad:NAME" for a file
// it cannot open), "play:NAME", "stop", and the system sounds "bell", "info", "beep".
class TFakeSoundServer : public ISoundServer {
public:
    std::shared_ptr<IWaveSound> OpenWave(const QString& fileName) override;
    void Play(std::shared_ptr<IWaveSound> sound) override;
    void Stop() override { Log.append(QStringLiteral("stop")); }
    void PlaySystemSound(TSystemSound sound) override;

    QSet<QString> Unplayable; // files that cannot be opened; every other name can
    QStringList Log;
};

// All fakes, put in force for the lifetime of the object.
class TFakePlatform {
public:
    TFakePlatform();
    TFakeMessageBoxes Boxes;
    TFakeClipboardChain Clipboard;
    TFakeDesktop Desktop;
    TFakeSingleInstance Instance;
    TFakeAutoStart AutoStart;
    TFakeTrayHost Tray;
    TFakeThreadStarter Threads;
    TFakeSoundServer Sound;

private:
    std::unique_ptr<TScopedPlatform> FScope;
};
