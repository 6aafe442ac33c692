#pragma once

#include <QString>

// The shared error box: takes the calling thread's last error code first, closes the splash,
// and shows the message with the system's text for the code as caption ("An error has
// occurred" for 0). Returns when the user has closed it.
void ReportError(const QString& message);
