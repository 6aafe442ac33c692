// The window's side of the feedback sounds: the sound settings read from the controls, the
// file rows of the sound panel, choosing and trying out wave files.
#include "audio/feedbacksounds.h"
#include "audio/mediaplayer.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/session/programinfo.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QToolButton>

namespace {

QList<QWidget*> StartRow(const TSVXForm& form) {
    return {form.Beep1FileName, form.ChBeep1, form.Play1};
}

QList<QWidget*> FinishRow(const TSVXForm& form) {
    return {form.Beep2FileName, form.ChBeep2, form.Play2};
}

void SetEnabled(const QList<QWidget*>& controls, bool enabled) {
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

} // namespace

void TSVXForm::PlayFeedbackSound(TFeedbackEvent event) {
    TFeedbackSettings settings;
    settings.Beep1 = OptBeep1->isChecked();
    settings.Beep2 = OptBeep2->isChecked();
    settings.Source = SelectSoundSource(BeepStd->isChecked(), BeepPCSpk->isChecked());
    settings.Beep1FileName = Beep1FileName->text();
    settings.Beep2FileName = Beep2FileName->text();
    ::PlayFeedbackSound(*MediaPlayer, event, settings);
}

void TSVXForm::AudioClick(QObject*) {
    const TSoundRows rows =
        EnabledSoundRows(OptBeep1->isChecked(), OptBeep2->isChecked(), BeepWav->isChecked());
    SetEnabled(StartRow(*this), rows.Start);
    SetEnabled(FinishRow(*this), rows.Finish);
}

void TSVXForm::ChBeepMode(QObject* sender) {
    if (sender == BeepWav) {
        // A row whose sound is off is left as it is: disabled already.
        if (OptBeep1->isChecked())
            SetEnabled(StartRow(*this), true);
        if (OptBeep2->isChecked())
            SetEnabled(FinishRow(*this), true);
    } else if (sender == BeepStd || sender == BeepPCSpk) {
        SetEnabled(StartRow(*this) + FinishRow(*this), false);
    }
}

void TSVXForm::ChBeep(QObject* sender) {
    // Made for this one choice and gone with it: Qt's own dialog keeps a model of the folder it
    // shows that watches and rescans that folder while the dialog exists, and the folder is
    // often the one the pictures are saved in.
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setNameFilters({QStringLiteral("Wav files (*.wav)"), QStringLiteral("all files (*)")});
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // "." is the program's folder, wherever the program was started from. Qt's dialog never
    // changes the working folder.
    dialog.setDirectory(ProgramFolder());
    OpenDialog = &dialog;
    const auto closed = qScopeGuard([this] { OpenDialog = nullptr; });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return;
    (sender == ChBeep1 ? Beep1FileName : Beep2FileName)->setText(chosen.first());
}

void TSVXForm::TestBeep(QObject* sender) {
    const QLineEdit* edit = sender == Play1 ? Beep1FileName : Beep2FileName;
    if (TestWaveFile(*MediaPlayer, edit->text()))
        return;
    TBoxRequest request;
    request.Text = QStringLiteral("Invalid wav file specified");
    request.Caption = QStringLiteral("Cannot play sound");
    request.Icon = TBoxIcon::Warning;
    request.Owner = this;
    Platform().Boxes->Show(request);
}
