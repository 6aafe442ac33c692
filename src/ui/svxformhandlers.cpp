// Binds the controls and actions of the main window to their handlers. A program change to a
// control runs its handler just like the user's: check boxes on every change of state, radio
// buttons when they become checked, edits on every change of text.
#include "platform/platform.h"
#include "ui/clickfilter.h"
#include "ui/svxform.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

using THandler = void (TSVXForm::*)(QObject*);

void OnToggled(TSVXForm* form, QCheckBox* box, THandler handler) {
    QObject::connect(box, &QCheckBox::toggled, form,
                     [form, box, handler] { (form->*handler)(box); });
}

void OnChecked(TSVXForm* form, QRadioButton* button, THandler handler) {
    QObject::connect(button, &QRadioButton::toggled, form, [form, button, handler](bool checked) {
        if (checked)
            (form->*handler)(button);
    });
}

void OnTextChanged(TSVXForm* form, QLineEdit* edit, THandler handler) {
    QObject::connect(edit, &QLineEdit::textChanged, form,
                     [form, edit, handler] { (form->*handler)(edit); });
}

template <typename TButton> void OnClicked(TSVXForm* form, TButton* button, THandler handler) {
    QObject::connect(button, &TButton::clicked, form,
                     [form, button, handler] { (form->*handler)(button); });
}

} // namespace

void TSVXForm::ConnectHandlers() {
    // ---- option controls ----
    OnToggled(this, OptActivate, &TSVXForm::ToggleActivate);
    // Switched off, the clipboard is not even fetched; a copy made meanwhile stays uncaptured.
    connect(OptActivate, &QCheckBox::toggled, this,
            [](bool capturing) { Platform().Clipboard->SetCapturing(capturing); });
    OnToggled(this, OptMinToSysT, &TSVXForm::ToggleSystray);
    OnToggled(this, OptAutoStart, &TSVXForm::SysAutoStart);
    OnToggled(this, OptBeep1, &TSVXForm::AudioClick);
    OnToggled(this, OptBeep2, &TSVXForm::AudioClick);
    for (QRadioButton* mode : {BeepStd, BeepPCSpk, BeepWav})
        OnChecked(this, mode, &TSVXForm::ChBeepMode);
    for (QRadioButton* format : {BitmapOut, JpgOut, PngOut})
        OnChecked(this, format, &TSVXForm::UpdateFileNameEx);
    for (QLineEdit* naming : {NameEdit, OptDigitFrom, OutputDirEdit})
        OnTextChanged(this, naming, &TSVXForm::UpdateFileNameEx);
    DigitsUD->OnChangingEx = [this](QObject* sender, bool& allowChange, int newValue,
                                    TUpDownDirection direction) {
        DigitChange(sender, allowChange, newValue, direction);
    };
    OnChecked(this, OptDigit, &TSVXForm::OptDigitAutoToggle);
    OnChecked(this, OptDigitAuto, &TSVXForm::OptDigitAutoToggle);
    OnToggled(this, OptAR, &TSVXForm::ARClick);

    // ---- other controls ----
    OnClicked(this, ChBeep1, &TSVXForm::ChBeep);
    OnClicked(this, ChBeep2, &TSVXForm::ChBeep);
    OnClicked(this, Play1, &TSVXForm::TestBeep);
    OnClicked(this, Play2, &TSVXForm::TestBeep);
    OnClicked(this, ChoutDir, &TSVXForm::ChooseOutDir);
    OnClicked(this, RestoreDefaults, &TSVXForm::RestoreJPEGsettings);
    new TClickFilter(Image1, TClickFilter::TTrigger::DoubleClick, [this] { PrepareInit(Image1); });
    new TClickFilter(Image2, TClickFilter::TTrigger::Click, [this] { URL_MNG(Image2); });
    new TClickFilter(Label16, TClickFilter::TTrigger::Click, [this] { URL_Fennmoor(Label16); });

    // ---- actions ----
    // AThreadDone stays unbound: run from anywhere but a finishing save it would count a save
    // that never ran and throw off the running-save count the file numbering relies on.
    // ACBChange and ASVXIPC have no handler.
    const struct {
        const char* Action;
        THandler Handler;
    } bindings[] = {
        {"AChooseOutDir", &TSVXForm::ChooseOutDir},
        {"AToggleActivate", &TSVXForm::ToggleActivate},
        {"AToggleSystray", &TSVXForm::ToggleSystray},
        {"AUpdateFNEx", &TSVXForm::UpdateFileNameEx},
        {"ARestoreJPEG", &TSVXForm::RestoreJPEGsettings},
        {"AMinimize", &TSVXForm::ToggleSystray},
        {"AOnRestore", &TSVXForm::RestoreTI},
        {"ARestore", &TSVXForm::RestoreFromTI},
        {"AAutoStart", &TSVXForm::SysAutoStart},
        {"AQuit", &TSVXForm::Quit},
        {"AAudioClick", &TSVXForm::AudioClick},
        {"AARClick", &TSVXForm::ARClick},
        {"AChBeep", &TSVXForm::ChBeep},
        {"ATestBeep", &TSVXForm::TestBeep},
        {"AChBeepMode", &TSVXForm::ChBeepMode},
        {"APrepareInit", &TSVXForm::PrepareInit},
        {"AFinalizeInit", &TSVXForm::FinalizeInit},
    };
    for (const auto& binding : bindings) {
        auto* action = findChild<QAction*>(QString::fromLatin1(binding.Action));
        Q_ASSERT_X(action, "ConnectHandlers", binding.Action);
        const THandler handler = binding.Handler;
        connect(action, &QAction::triggered, this,
                [this, action, handler] { (this->*handler)(action); });
    }
}
