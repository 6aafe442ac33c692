#pragma once

#include <QString>

// The shared error box: takes the calling thread's last error code first, and shows the message
// through ShowModalBox with the system's text for the code as caption ("An error has occurred"
// for 0). Returns when the user has closed it.
void ReportError(const QString& message);
