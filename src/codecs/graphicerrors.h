#pragma once

// codecs/: the BMP, JPEG and PNG writers, pixels in and bytes out, with no widgets and no
// display. Includes only codecs/ and platform/.

#include <QString>
#include <cerrno>
#include <stdexcept>

// Errors raised by the encoders and the file stream. Each carries the text the user is shown;
// the texts that come from the picture framework are German, as users of the program know them.
class EFrameworkError : public std::runtime_error {
public:
    // Takes the calling thread's last error code at once: by the time the error is shown,
    // clean-up on the way out may have changed it.
    explicit EFrameworkError(const QString& message)
        : std::runtime_error(message.toStdString()), FErrorCode(errno), FMessage(message) {}
    const QString& Message() const { return FMessage; }
    // The system error code in force when the error was raised (0: none).
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
    QString FMessage;
};

// "Datei %s kann nicht erstellt werden"
class EFCreateError : public EFrameworkError {
public:
    explicit EFCreateError(const QString& fileName)
        : EFrameworkError(QStringLiteral("Datei %1 kann nicht erstellt werden").arg(fileName)) {}
};

// The file could not be created because its name is taken (by a file, a link, a FIFO...).
class EFileExists : public EFCreateError {
public:
    using EFCreateError::EFCreateError;
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
