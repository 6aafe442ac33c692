#pragma once

#include <QString>

// The calling thread's last error code (errno), read before anything else can change it.
int LastErrorCode();
// Resets the calling thread's last error code to 0.
void ClearLastError();
// The system's text for an error code; empty for 0.
QString SystemErrorText(int code);
// The caption rule of the program's error boxes: the system text of the code, or
// "An error has occurred" when the code is 0 or has no text.
QString ErrorCaption(int code);
