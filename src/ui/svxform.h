#pragma once

// ui/: the window TSVXForm and everything that reads or writes its controls, its handlers
// included, in files named after the area they serve. Includes ui/ and every layer below it
// (capture/, audio/, settings/, tray/, codecs/, platform/); never app/.

#include "audio/feedbackevent.h"
#include "capture/reoffermemory.h"
#include "capture/savebudget.h"
#include "capture/saveformat.h"
#include "platform/clipboard/clipboardchain.h"
#include "tray/trayartwork.h"
#include "ui/updown.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QImage;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QToolButton;
class TJPEGImage;
class TMediaPlayer;
class TStowThread;
struct TCaptureDecision;
struct TSaveJob;
struct TOptionControl;
class TTrayIcon;

// The program's only ordinary window and the owner of all its state. Its option controls are
// the settings: every part of the program reads an option from its control when it needs it.
// Its members are defined in ui/, in files named after the area they serve (formcapture.cpp,
// formsettings.cpp, formstartup.cpp, ...); each reads its controls, calls the logic of its area
// (capture/, audio/, settings/, tray/) and writes the result back. This header lists them all.
class TSVXForm : public QWidget {
    Q_OBJECT
public:
    // `arguments` are the command-line arguments after the program path.
    explicit TSVXForm(const QStringList& arguments, QWidget* parent = nullptr);
    ~TSVXForm() override;

    // ---- pages ----
    QTabWidget* SVXPageCtrl = nullptr;
    QWidget* TabSetup = nullptr;
    QWidget* TabOutput = nullptr;
    QWidget* TabJPGOpts = nullptr;
    QWidget* TabInfo = nullptr;
    QWidget* TabAbout = nullptr;

    // ---- option controls (the settings) ----
    QCheckBox* OptActivate = nullptr;
    QCheckBox* OptMinToSysT = nullptr;
    QCheckBox* OptStartMinimized = nullptr;
    QCheckBox* OptAutoStart = nullptr;
    QComboBox* OptMinImageSize = nullptr;
    QCheckBox* OptBeep1 = nullptr;
    QCheckBox* OptBeep2 = nullptr;
    QRadioButton* BeepStd = nullptr;
    QRadioButton* BeepPCSpk = nullptr;
    QRadioButton* BeepWav = nullptr;
    QLineEdit* Beep1FileName = nullptr;
    QLineEdit* Beep2FileName = nullptr;
    QRadioButton* BitmapOut = nullptr;
    QRadioButton* JpgOut = nullptr;
    QRadioButton* PngOut = nullptr;
    QLineEdit* NameEdit = nullptr;
    TUpDown* DigitsUD = nullptr;
    QRadioButton* OptDigit = nullptr;
    QLineEdit* OptDigitFrom = nullptr;
    QRadioButton* OptDigitAuto = nullptr;
    QLineEdit* OutputDirEdit = nullptr;
    QCheckBox* OptResizeUp = nullptr;
    QCheckBox* OptResizeDown = nullptr;
    QComboBox* OptResizeTo = nullptr;
    QCheckBox* OptAR = nullptr;
    QRadioButton* OptARExp = nullptr;
    QRadioButton* OptARShr = nullptr;
    QSlider* ThreadPriority = nullptr;
    QRadioButton* JPEG8bit = nullptr;
    QRadioButton* JPEG24bit = nullptr;
    QCheckBox* JPEGGray = nullptr;
    QCheckBox* JPEGProgressive = nullptr;
    QSlider* JPEGQuality = nullptr;

    // ---- other controls ----
    QPushButton* ChBeep1 = nullptr;
    QPushButton* ChBeep2 = nullptr;
    QToolButton* Play1 = nullptr;
    QToolButton* Play2 = nullptr;
    QPushButton* ChoutDir = nullptr;
    QLineEdit* DigitsEdit = nullptr;
    QLabel* FileNameEx = nullptr;
    QPushButton* RestoreDefaults = nullptr;
    QLabel* Thumbnail = nullptr;
    QLabel* StatCount = nullptr;
    QLabel* StatBytes = nullptr;
    QLabel* StatX = nullptr;
    QLabel* StatY = nullptr;
    QLabel* StatForm = nullptr;
    QLabel* StatFilename = nullptr;
    QLabel* LabVersion = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label16 = nullptr;

    // ---- non-visual parts ----
    // The wave-file chooser, while it is open.
    QFileDialog* OpenDialog = nullptr;
    TMediaPlayer* MediaPlayer = nullptr;
    QList<QAction*> ActionList1;
    QAction* AFinalizeInit = nullptr;
    QAction* APrepareInit = nullptr;
    // The notification-area icon, its images and its menu (tray/).
    TTrayIcon* TrayIcon = nullptr;
    TImageList TheImageList;
    TImageList RunningImageList;
    QMenu* TrayPopupMenu = nullptr;
    QAction* Restore1 = nullptr;
    QAction* Activate1 = nullptr;
    QAction* Quit1 = nullptr;
    // Runs from start-up for as long as a panel starting with the session may take to come: a
    // missing notification area is reported only once it is over.
    QTimer* TrayHostGrace = nullptr;
    // Takes down the missing-tray box while it is open: the icon has come after all.
    std::function<void()> CloseMissingTrayBox;

    // ---- run-time state ----
    TViewerHandle NextViewer = 0;
    bool InstanceMutex = false; // the instance lock is held
    bool StartMinimizePending = true;
    bool IgnoreNextClipboardChange = true;
    bool ActivationUpdating = false;
    bool FinalizeArmed = false;
    quint8 FirstRun = 0;
    bool InstanceCheckPending = true;
    bool DigitsAutoWidening = false;
    bool FileNameExFrozen = false;
    bool DigitsWidened = false;
    qint32 DigitsOverride = 0;
    qint32 RunningSaves = 0;
    qint32 SavedCount = 0;
    qint64 SavedBytes = 0; // 64 bits: a day's screenshots easily pass 2 GiB
    QString LastFileName;
    QString VersionText;
    TSaveFormat SaveFormat = TSaveFormat::sfBMP; // kept from one capture to the next
    // Set when this process is a second instance (or a `-terminate`) and must end at once.
    bool EndRequested = false;
    // Set when the program was asked to end (the window closed, `-terminate`), also while a box
    // of the start-up runs before the event loop does: such a request must not be lost.
    bool QuitRequested = false;
    // The memory all pending saves together may hold, and what they hold now (estimated). The
    // budget keeps the books; its two figures keep their established names.
    TSaveBudget SaveBudget;
    qint64& SaveMemoryBudget = SaveBudget.Limit;
    qint64& PendingSaveMemory = SaveBudget.Pending;
    // The picture of the last file, so that the desktop offering it again adds no file.
    TReofferMemory Reoffers;

    // ---- handlers ----
    // clipboard (formclipboard.cpp)
    void ClipboardChanged();
    void ClipboardChainChanged(TViewerHandle removed, TViewerHandle next);
    // size and scaling (formsizing.cpp)
    void ARClick(QObject* sender);
    // naming (formnaming.cpp)
    QString NextFilePath();
    QString NextFileName();
    void UpdateFileNameEx(QObject* sender);
    void OptDigitAutoToggle(QObject* sender);
    void DigitChange(QObject* sender, bool& allowChange, int newValue, TUpDownDirection direction);
    // save thread and completion (formsavecompletion.cpp)
    void ApplyJPEGSettings(TJPEGImage& jpeg);
    void ThreadDone(TStowThread* sender);
    // Runs the event loop until every running save has completed (shutdown).
    void WaitForRunningSaves();
    // tray (formtray.cpp)
    void ToggleActivate(QObject* sender);
    void ToggleSystray(QObject* sender);
    void RestoreFromTI(QObject* sender);
    void RestoreTI(QObject* sender);
    void Quit(QObject* sender);
    void MinimizeTI();
    void StartBusyIcon();
    void StopBusyIcon();
    void ShowActivationIcon();
    // "Cannot Create System Shell Notification Icon.", unless the icon is there by now; the box
    // goes by itself when the icon comes.
    void ReportMissingTray();
    // audio (formsound.cpp)
    using TFeedbackEvent = ::TFeedbackEvent;
    void PlayFeedbackSound(TFeedbackEvent event);
    void AudioClick(QObject* sender);
    void ChBeepMode(QObject* sender);
    void ChBeep(QObject* sender);
    void TestBeep(QObject* sender);
    // settings (formsettings.cpp, formdefaults.cpp, formautostart.cpp)
    // Reads SVX.dat into the controls, or greets a first run and applies the factory values.
    void ReadSettings();
    // Writes SVX.dat from the controls; throws when it cannot.
    void WriteSettings();
    // The bytes WriteSettings stores.
    QByteArray SettingsBytes() const;
    void ApplyFactoryDefaults();
    void SysAutoStart(QObject* sender);
    void SetAutoStart(bool enable);
    bool InstalledKeyPresent() const;
    void RestoreJPEGsettings(QObject* sender);
    // shell (shellhandlers.cpp, formfinalizeinit.cpp)
    void ChooseOutDir(QObject* sender);
    void URL_MNG(QObject* sender);
    void URL_Fennmoor(QObject* sender);
    void PrepareInit(QObject* sender);
    void FinalizeInit(QObject* sender);

    // The help context of a widget or of its nearest container that has one (0: none).
    static int HelpContextOf(const QWidget* widget);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();  // svxformcontrols.cpp: every control at its resource value
    void ConnectHandlers(); // svxformhandlers.cpp: controls and actions to their handlers
    void CreateTrayIcon();  // formtray.cpp: the icon, its images and its menu
    // formstartup.cpp: the start-up in its steps
    void StartupSequence(const QStringList& arguments);
    bool ClaimSingleInstance(bool terminate);
    void ResetRunState();
    void JoinClipboard();
    void ShutdownSequence();           // formshutdown.cpp
    void WatchSessionEnd();            // formsessionend.cpp
    void ShowHelpFor(QWidget* widget); // helpcontexts.cpp
    // formcapture.cpp: one clipboard picture, from the copy to the save thread
    void CaptureClipboardImage();
    TCaptureOptions ReadCaptureOptions() const;
    void ShowCaptured(const QImage& bitmap, const TCaptureDecision& decision);
    void StartSave(TSaveJob&& job, const TPictureFingerprint& picture,
                   const TCaptureOptions& options);
    void ReadSettingsFile(const QString& path); // formsettings.cpp
    QWidget* OptionControl(const TOptionControl& entry) const;

    QSet<TStowThread*> FRunningThreads; // saves started and not yet completed
};
