#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// One test's private world: a fresh home, a fresh runtime folder and its own copy of the program.
// The program keeps its settings file and finds its help file beside itself, so a copy per test
// makes every test start from a first run and leaves the build tree untouched.
class TSandbox {
public:
    explicit TSandbox(const QString& display);

    bool Ok() const { return FProblem.isEmpty(); }
    QString Problem() const { return FProblem; }

    QString Root() const { return FRoot.path(); }
    QString Home() const { return FRoot.path() + QStringLiteral("/home"); }
    QString RuntimeDir() const { return FRoot.path() + QStringLiteral("/runtime"); }
    QString ProgramPath() const { return FProgram; }
    // Runs another copy of the program (an installed one) instead.
    void UseProgram(const QString& path) { FProgram = path; }
    // A path below the sandbox root.
    QString PathOf(const QString& relative) const { return FRoot.filePath(relative); }

    // The whole environment of every child: nothing of the developer's own leaks in.
    const QProcessEnvironment& Environment() const { return FEnvironment; }
    // Sets a variable for every child started from now on.
    void SetVariable(const QString& name, const QString& value) {
        FEnvironment.insert(name, value);
    }

    // Keeps the folder after the test (to look at what a failed test left).
    void KeepOnDisk() { FRoot.setAutoRemove(false); }

private:
    QTemporaryDir FRoot;
    QString FProgram;
    QProcessEnvironment FEnvironment;
    QString FProblem;
};
