#include "platform/session/xdgautostart.h"

#include "platform/files/atomicfile.h"
#include "platform/session/programinfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A string value of a desktop entry: backslash and line breaks escaped.
QString EscapeValue(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// One quoted argument of Exec: inside the quotes ", `, $ and \ take a backslash, and a literal
// % is doubled (field codes); the whole is then a string value like any other.
QString QuotedExecArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return EscapeValue(quoted);
}

QString ErrorText(const QString& what, const QString& path, const QString& reason) {
    return QStringLiteral("Cannot %1 the autostart entry %2: %3").arg(what, path, reason);
}

} // namespace

QString AutoStartEntryText(const QString& programPath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Snapvault\n"
                          "Comment=Saves every picture copied to the clipboard\n"
                          "Exec=%1\n"
                          "TryExec=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QuotedExecArgument(programPath), EscapeValue(programPath));
}

QString TXdgAutoStart::EntryPath() {
    return UserConfigFolder() + QStringLiteral("/autostart/SVX.desktop");
}

QStringList TXdgAutoStart::ConfigFolders() {
    QStringList folders{UserConfigFolder()};
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString& folder : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders.append(QDir::cleanPath(folder));
    }
    return folders;
}

QString TXdgAutoStart::SetEntry(bool enable, const QString& programPath) {
    const QString path = EntryPath();
    if (!enable) {
        QFile entry(path);
        if (!entry.exists() || entry.remove())
            return {};
        return ErrorText(QStringLiteral("remove"), path, entry.errorString());
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return ErrorText(QStringLiteral("write"), path,
                         QStringLiteral("the folder cannot be created"));
    const QString failure = WriteFileAtomically(path, AutoStartEntryText(programPath).toUtf8());
    return failure.isEmpty() ? QString() : ErrorText(QStringLiteral("write"), path, failure);
}

bool TXdgAutoStart::InstallationPresent(const QString& version) {
    // Without a version there is nothing this installation could be registered under.
    if (version.isEmpty())
        return false;
    for (const QString& folder : ConfigFolders()) {
        const QFileInfo marker(folder + QStringLiteral("/Fennmoor/Snapvault/") + version);
        if (marker.isDir() && marker.isReadable() && marker.isExecutable())
            return true;
    }
    return false;
}
