// The naming controls: the next free file name, the example label, and the digit count with
// its start field.
#include "capture/filenaming.h"
#include "capture/stowthread.h"
#include "platform/fileprobe.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "ui/svxform.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// Whether a save that has not completed yet writes (or is about to write) a file the pattern
// names: such a name is as taken as a file on disk.
bool TakenByRunningSave(const QString& pattern, const QSet<TStowThread*>& running) {
    const int slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder = pattern.left(slash + 1);
    const QString name = pattern.mid(slash + 1);
    for (const TStowThread* thread : running) {
        const QString& path = thread->FileName();
        const int pathSlash = path.lastIndexOf(QLatin1Char('/'));
        if (path.left(pathSlash + 1) == folder && WildcardMatch(name, path.mid(pathSlash + 1)))
            return true;
    }
    return false;
}

} // namespace

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
    search.StartText = OptDigitFrom->text();
    search.RunningSaves = RunningSaves;
    search.Taken = [this](const QString& path) {
        return FileProbe(path) || TakenByRunningSave(path, FRunningThreads);
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
        TBoxRequest request;
        request.Text = QString::fromUtf8(error.what());
        request.Caption = QStringLiteral("Snapvault");
        request.Icon = TBoxIcon::Warning;
        Platform().Boxes->Show(request);
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
    const QString keptText = OptDigitFrom->text();
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
        OptDigitFrom->setText(keptText);
        FileNameExFrozen = false;
    }
    DigitsOverride = 0;
}
