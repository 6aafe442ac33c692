// The output folder browser and the two web links of the about page.
#include "platform/session/desktop.h"
#include "platform/platform.h"
#include "ui/svxform.h"

#include <QLineEdit>

namespace {
const QString MngPage = QStringLiteral("https://www.libmng.com/");
const QString MakerPage = QStringLiteral("https://www.fennmoor.example/snapvault/");
} // namespace

void TSVXForm::ChooseOutDir(QObject* /*sender*/) {
    const std::optional<QString> chosen =
        Platform().Desktop->ChooseFolder(QStringLiteral("Select Directory"), this);
    if (!chosen || chosen->isEmpty())
        return; // cancelled: the output folder stays
    // The root keeps its slash; other folders go without one (the file naming adds it).
    QString folder = *chosen;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    OutputDirEdit->setText(folder);
}

void TSVXForm::URL_MNG(QObject* /*sender*/) {
    Platform().Desktop->OpenUrl(MngPage);
}

void TSVXForm::URL_Fennmoor(QObject* /*sender*/) {
    Platform().Desktop->OpenUrl(MakerPage);
}
