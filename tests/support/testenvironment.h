#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the tests assume of the system, set once by each test program's main before anything
// reads it: system error texts (strerror) in English, whatever the developer's own locale.
inline void UseEnglishSystemTexts() {
    qputenv("LANG", "C.UTF-8");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(name);
}
