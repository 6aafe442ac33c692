#pragma once

class QWidget;

// The splash window: shown only when the program starts without arguments, closed by the
// first of: the end of its minimum display time, an error box, the "already running" box.
void ShowSplash();
// Harmless when no splash is shown.
void CloseSplash();
// The splash window, or null when none is shown.
QWidget* Splash();
