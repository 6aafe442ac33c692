#pragma once

// app/, the top layer: main, the splash and what calls the window's start-up and shutdown.
// May include every other folder.

class QWidget;

// The splash window: shown only when the program starts without arguments, closed by the
// first of: the end of its minimum display time, a box shown through ShowModalBox (an error,
// "already running", the first run, no notification area).
void ShowSplash();
// Harmless when no splash is shown.
void CloseSplash();
// The splash window, or null when none is shown.
QWidget* Splash();
