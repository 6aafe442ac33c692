// The naming controls: the next free file name, the example label, and the digit count with
// its start field.
#include "capture/filenaming.h"
#include "capture/stowthread.h"
#include "platform/files/fileprobe.h"
#include "ui/maskededit.h"
#include "ui/svxform.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

QString TSVXForm::NextFilePath() {
    return DirectoryPart(OutputDirEdit->text()) + NextFileName();
}

QString TSVXForm::NextFileName() {
    TNameSearch search;
    search.Directory = DirectoryPart(OutputDirEdit->text());
    search.BaseName = NameEdit->text();
    search.Extension = ExtensionFor(BitmapOut->isChecked(), JpgOut->isChecked());
    search.Digits = DigitsOverride != 0 ? DigitsOverride : DigitsUD->Position();
    search.Automatic = OptDigitAuto->isChecked();
    search.StartText = MaskedEditText(*OptDigitFrom);
    search.RunningSaves = RunningSaves;
    QStringList running;
    for (const TStowThread* thread : std::as_const(FRunningThreads))
        running.append(thread->FileName());
    search.Taken = [running](const QString& path) {
        return FileProbe(path) || TakenByRunningSave(path, running);
    };
    search.Widen = [this](int newDigits) {
        DigitsAutoWidening = true;
        DigitsUD->SetPosition(newDigits);
        DigitsAutoWidening = false;
        DigitsWidened = true;
    };
    return SearchFileName(search).FileName;
}

void TSVXForm::UpdateFileNameEx(QObject*) {
    if (FileNameExFrozen)
        return;
    try {
        FileNameEx->setText(NextFileName());
    } catch (const ENamingError& error) {
        ShowNamingError(error);
    }
}

void TSVXForm::OptDigitAutoToggle(QObject* sender) {
    OptDigitFrom->setEnabled(sender != OptDigitAuto);
    UpdateFileNameEx(sender);
}

void TSVXForm::DigitChange(QObject* sender, bool& allowChange, int newValue, TUpDownDirection) {
    DigitsWidened = false;
    if (newValue > DigitsUD->Max())
        return;
    FileNameExFrozen = true;
    const QString keptMask = OptDigitFrom->inputMask();
    const QString keptText = MaskedEditText(*OptDigitFrom);
    OptDigitFrom->setInputMask(DigitEditMask(newValue));
    OptDigitFrom->setText(RewriteStartField(keptText, newValue));
    FileNameExFrozen = false;
    DigitsOverride = newValue;
    // While the name search itself widens, it is the caller and shows the name.
    if (!DigitsAutoWidening)
        UpdateFileNameEx(sender);
    // Every number of the new width is taken: the user's change is refused. The example label
    // already shows the name the widened search found.
    if (DigitsWidened) {
        allowChange = false;
        FileNameExFrozen = true;
        OptDigitFrom->setInputMask(keptMask);
        SetMaskedEditText(*OptDigitFrom, keptText);
        FileNameExFrozen = false;
    }
    DigitsOverride = 0;
}
