#pragma once

#include <QByteArray>
#include <QLocale>
#include <QtGlobal>
#include <functional>

// What the tests assume of the system, set once by each test program's main before anything
// reads it: system error texts (strerror) in English, whatever the developer's own locale.
inline void UseEnglishSystemTexts() {
    qputenv("LANG", "C.UTF-8");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(name);
}

// Puts a process-wide setting in force for one scope: an environment variable (a null value
// removes it) or the default locale. What it was comes back however the scope is left, an early
// failed assertion included.
class TScopedSetting {
public:
    TScopedSetting(const char* name, const QByteArray& value) {
        FRestore = [name, wasSet = qEnvironmentVariableIsSet(name), previous = qgetenv(name)] {
            wasSet ? qputenv(name, previous) : qunsetenv(name);
        };
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    explicit TScopedSetting(const QLocale& locale) {
        FRestore = [previous = QLocale()] { QLocale::setDefault(previous); };
        QLocale::setDefault(locale);
    }
    ~TScopedSetting() { FRestore(); }
    TScopedSetting(const TScopedSetting&) = delete;
    TScopedSetting& operator=(const TScopedSetting&) = delete;

private:
    std::function<void()> FRestore;
};
