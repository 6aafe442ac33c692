#include "platform/systemerror.h"

#include <cerrno>
#include <cstring>

int LastErrorCode() {
    return errno;
}

void ClearLastError() {
    errno = 0;
}

QString SystemErrorText(int code) {
    if (code == 0)
        return {};
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text ? text : buffer);
}

QString ErrorCaption(int code) {
    const QString text = SystemErrorText(code);
    return text.isEmpty() ? QStringLiteral("An error has occurred") : text;
}
