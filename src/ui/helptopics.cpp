#include "ui/helptopics.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

QString HelpTopicFromText(const QString& helpText, int context) {
    static const QRegularExpression header(QStringLiteral("^\\[(\\d+)\\]\\s*$"));
    QStringList topic;
    bool inTopic = false;
    for (const QString& rawLine : helpText.split(QLatin1Char('\n'))) {
        const QString line = rawLine.endsWith(QLatin1Char('\r')) ? rawLine.chopped(1) : rawLine;
        const QRegularExpressionMatch match = header.match(line);
        if (match.hasMatch()) {
            if (inTopic)
                break;
            bool ok = false;
            inTopic = match.captured(1).toInt(&ok) == context && ok;
            continue;
        }
        if (inTopic && !line.startsWith(QLatin1Char('#')))
            topic.append(line);
    }
    return topic.join(QLatin1Char('\n')).trimmed();
}

QString ReadHelpTopic(const QString& path, int context) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return HelpTopicFromText(QString::fromUtf8(file.readAll()), context);
}
