#pragma once

#include <QString>
#include <stdexcept>

// Errors raised by the encoders and the file stream. Each carries the text the user is shown;
// the texts that come from the picture framework are German, as users of the program know them.
class EFrameworkError : public std::runtime_error {
public:
    explicit EFrameworkError(const QString& message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    const QString& Message() const { return FMessage; }

private:
    QString FMessage;
};

// "Datei %s kann nicht erstellt werden"
class EFCreateError : public EFrameworkError {
public:
    explicit EFCreateError(const QString& fileName)
        : EFrameworkError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(fileName)) {}
};

// "Stream-Write-Fehler"
class EWriteError : public EFrameworkError {
public:
    EWriteError() : EFrameworkError(QStringLiteral("Stream-Write-Fehler")) {}
};

class EInvalidGraphic : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

class EInvalidGraphicOperation : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};
