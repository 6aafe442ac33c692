// SVX.dat: a short header and one component record for each persisted option control, read
// into the live controls at start-up and written from them at shutdown.
#include "platform/files/atomicfile.h"
#include "platform/modalbox.h"
#include "platform/session/programinfo.h"
#include "settings/componentstream.h"
#include "ui/controlrecord.h"
#include "ui/optioncontrols.h"
#include "ui/svxform.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <stdexcept>

namespace {

constexpr int VersionFieldSize = 12;
// Far beyond any file the program writes (a few kilobytes); a larger one is damaged, and is
// never read into memory whole.
constexpr qint64 MaxSettingsFileSize = 1 << 20;
constexpr int ComboItems = 6;

QByteArray VersionField(const QString& versionText) {
    QByteArray field = versionText.toLatin1().left(VersionFieldSize);
    field.resize(VersionFieldSize, '\0');
    return field;
}

int ComboIndex(TComponentReader& reader) {
    const qint32 index = reader.Int32();
    // An index outside the lists would leave a list without a choice and reach past the size
    // tables of the capture.
    if (index < 0 || index >= ComboItems)
        throw EComponentFormat("list index out of range");
    return index;
}

} // namespace

QWidget* TSVXForm::OptionControl(const TOptionControl& entry) const {
    auto* control = findChild<QWidget*>(entry.Name);
    Q_ASSERT_X(control, "OptionControl", qPrintable(entry.Name));
    return control;
}

void TSVXForm::ReadSettingsFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EComponentFormat("cannot open the settings file");
    if (file.size() > MaxSettingsFileSize)
        throw EComponentFormat("settings file too large");
    TComponentReader reader(file.read(MaxSettingsFileSize));
    file.close();

    if (reader.Byte() != 0)
        throw EComponentFormat("first-run flag set");
    const QByteArray version = reader.Bytes(VersionFieldSize);
    const qsizetype end = version.indexOf('\0');
    if (QString::fromLatin1(end < 0 ? version : version.left(end)) != VersionText)
        throw EComponentFormat("another version");
    const int resizeTo = ComboIndex(reader);
    const int minImageSize = ComboIndex(reader);

    for (const TOptionControl& entry : OptionControls()) {
        if (entry.Persisted)
            ReadControlRecord(reader, entry, *OptionControl(entry));
    }
    OptResizeTo->setCurrentIndex(resizeTo);
    OptMinImageSize->setCurrentIndex(minImageSize);
    // The start field is stored disabled only while it does not count; a chosen "starting from"
    // must not come back greyed out.
    OptDigitFrom->setEnabled(OptDigit->isChecked());
}

void TSVXForm::ReadSettings() {
    try {
        ReadSettingsFile(SettingsFilePath());
        return;
    } catch (const EComponentFormat&) {
    }
    TBoxRequest request;
    request.Text =
        QStringLiteral("Looks like the first run. Assuming default settings; please check.");
    request.Caption = QStringLiteral("SVX.dat not found or wrong version");
    request.Icon = TBoxIcon::None;
    ShowModalBox(request);
    FirstRun = 1;
    ApplyFactoryDefaults();
}

QByteArray TSVXForm::SettingsBytes() const {
    TComponentWriter writer;
    writer.Byte(FirstRun);
    for (const char byte : VersionField(VersionText))
        writer.Byte(std::uint8_t(byte));
    writer.Int32(OptResizeTo->currentIndex());
    writer.Int32(OptMinImageSize->currentIndex());
    for (const TOptionControl& entry : OptionControls()) {
        if (entry.Persisted)
            WriteControlRecord(writer, entry, *OptionControl(entry));
    }
    return writer.Bytes();
}

void TSVXForm::WriteSettings() {
    // The new settings replace the old ones only once they are complete on disk: a crash, a kill
    // or a full disk during the write leaves the previous file as it was.
    const QString path = SettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString failure = WriteFileAtomically(path, SettingsBytes());
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
}
