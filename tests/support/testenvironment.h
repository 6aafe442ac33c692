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

// Sets an environment variable (or, given a null value, removes it) for one scope; what it was
// comes back however the scope is left, an early failed assertion included.
class TScopedVariable {
public:
    TScopedVariable(const char* name, const QByteArray& value)
        : FName(name), FWasSet(qEnvironmentVariableIsSet(name)), FPrevious(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~TScopedVariable() {
        if (FWasSet)
            qputenv(FName, FPrevious);
        else
            qunsetenv(FName);
    }
    TScopedVariable(const TScopedVariable&) = delete;
    TScopedVariable& operator=(const TScopedVariable&) = delete;

private:
    const char* FName;
    bool FWasSet;
    QByteArray FPrevious;
};
