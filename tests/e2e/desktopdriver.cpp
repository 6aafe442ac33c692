#include "desktopdriver.h"

#include "toolrun.h"

#include <QHash>
#include <algorithm>

namespace {

const QString XdotoolProgram = QStringLiteral("xdotool");

QList<quint64> ParseIds(const QByteArray& output) {
    QList<quint64> ids;
    for (const QByteArray& line : output.split('\n')) {
        bool ok = false;
        const quint64 id = line.trimmed().toULongLong(&ok);
        if (ok)
            ids.append(id);
    }
    return ids;
}

} // namespace

QString TWindow::Describe() const {
    return QStringLiteral("window %1 \"%2\" %3x%4+%5+%6 pid %7")
        .arg(Id)
        .arg(Name)
        .arg(Geometry.width())
        .arg(Geometry.height())
        .arg(Geometry.x())
        .arg(Geometry.y())
        .arg(Pid);
}

TDesktopDriver::TDesktopDriver(QProcessEnvironment environment)
    : FEnvironment(std::move(environment)) {}

bool TDesktopDriver::Xdotool(const QStringList& arguments, int timeoutMs) const {
    return RunTool(XdotoolProgram, arguments, FEnvironment, timeoutMs).Ok();
}

std::optional<TWindow> TDesktopDriver::Inspect(quint64 id) const {
    const QString window = QString::number(id);
    // One call for all three: the window may go away between separate calls.
    const TToolResult result =
        RunTool(XdotoolProgram,
                {QStringLiteral("getwindowname"), window, QStringLiteral("getwindowgeometry"),
                 QStringLiteral("--shell"), window, QStringLiteral("getwindowpid"), window},
                FEnvironment, 5000);
    if (!result.Finished)
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(result.Output).split(QLatin1Char('\n'));
    TWindow found;
    found.Id = id;
    int index = 0;
    if (index < lines.size() && !lines[index].contains(QLatin1Char('=')))
        found.Name = lines[index++];
    QHash<QString, int> values;
    bool geometryRead = false;
    for (; index < lines.size(); ++index) {
        const QString& line = lines[index];
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0) {
            values.insert(line.left(equals), line.mid(equals + 1).toInt());
            geometryRead = true;
        } else if (!line.trimmed().isEmpty()) {
            found.Pid = line.trimmed().toLongLong();
        }
    }
    if (!geometryRead || !values.contains(QStringLiteral("WINDOW")))
        return std::nullopt;
    found.Geometry =
        QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
              values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
    return found;
}

QList<TWindow> TDesktopDriver::VisibleWindows() const {
    const TToolResult result = RunTool(XdotoolProgram,
                                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--maxdepth"), QStringLiteral("1"),
                                        QStringLiteral("--name"), QString()},
                                       FEnvironment, 5000);
    QList<TWindow> windows;
    for (quint64 id : ParseIds(result.Output)) {
        std::optional<TWindow> window = Inspect(id);
        // The search includes the root window, which belongs to no client.
        if (window && window->Pid != 0)
            windows.append(*window);
    }
    return windows;
}

QList<TWindow> TDesktopDriver::WindowsOf(qint64 pid) const {
    QList<TWindow> windows;
    for (const TWindow& window : VisibleWindows()) {
        if (window.Pid == pid)
            windows.append(window);
    }
    return windows;
}

QList<TWindow> TDesktopDriver::EmbeddedWindowsOf(qint64 pid) const {
    const TToolResult result = RunTool(XdotoolProgram,
                                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)},
                                       FEnvironment, 5000);
    const QList<TWindow> topLevel = WindowsOf(pid);
    QList<TWindow> windows;
    for (quint64 id : ParseIds(result.Output)) {
        const bool isTopLevel =
            std::any_of(topLevel.begin(), topLevel.end(),
                        [id](const TWindow& window) { return window.Id == id; });
        if (isTopLevel)
            continue;
        if (std::optional<TWindow> window = Inspect(id))
            windows.append(*window);
    }
    return windows;
}

std::optional<TWindow>
TDesktopDriver::WaitForWindow(const std::function<bool(const TWindow&)>& match,
                              int timeoutMs) const {
    std::optional<TWindow> found;
    WaitUntil(
        [&] {
            for (const TWindow& window : VisibleWindows()) {
                if (match(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool TDesktopDriver::WaitForWindowGone(quint64 id, int timeoutMs) const {
    return WaitUntil(
        [&] {
            for (const TWindow& window : VisibleWindows()) {
                if (window.Id == id)
                    return false;
            }
            return true;
        },
        timeoutMs);
}

QString TDesktopDriver::WindowName(quint64 id) const {
    const TToolResult result = RunTool(
        XdotoolProgram, {QStringLiteral("getwindowname"), QString::number(id)}, FEnvironment, 5000);
    if (!result.Ok())
        return {};
    return QString::fromUtf8(result.Output).trimmed();
}

bool TDesktopDriver::WaitForWindowName(quint64 id, const QString& name, int timeoutMs) const {
    return WaitUntil([&] { return WindowName(id) == name; }, timeoutMs);
}

bool TDesktopDriver::Focus(quint64 id) const {
    return Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(id)});
}

bool TDesktopDriver::Keys(const QStringList& keys) const {
    return Xdotool(
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} + keys);
}

bool TDesktopDriver::Type(const QString& text) const {
    return Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"),
                    QStringLiteral("--"), text},
                   30000);
}

bool TDesktopDriver::MoveTo(const QPoint& screenPos) const {
    // No --sync: it waits forever when the pointer is there already. The server takes the
    // move and a following click in order anyway.
    return Xdotool({QStringLiteral("mousemove"), QString::number(screenPos.x()),
                    QString::number(screenPos.y())});
}

bool TDesktopDriver::ClickAt(const QPoint& screenPos) const {
    return ClickAt(screenPos, 1);
}

bool TDesktopDriver::ClickAt(const QPoint& screenPos, int button) const {
    return Xdotool({QStringLiteral("mousemove"), QString::number(screenPos.x()),
                    QString::number(screenPos.y()), QStringLiteral("click"),
                    QString::number(button)});
}

QImage TDesktopDriver::WindowPicture(quint64 id) const {
    const TToolResult result =
        RunTool(QStringLiteral("import"),
                {QStringLiteral("-window"), QString::number(id), QStringLiteral("png:-")},
                FEnvironment, 10000);
    if (!result.Ok())
        return {};
    return QImage::fromData(result.Output, "PNG");
}

bool TDesktopDriver::Screenshot(const QString& fileName) const {
    return RunTool(QStringLiteral("import"),
                   {QStringLiteral("-window"), QStringLiteral("root"), fileName}, FEnvironment,
                   20000)
        .Ok();
}
