#pragma once

#include <QString>

// The version string compiled into the program (at most 12 characters); empty when none.
QString ProgramVersion();
// The folder of the running executable, with a trailing "/".
QString ProgramFolder();
// The user's home folder with a trailing "/": the output folder of a new installation.
QString DefaultOutputFolder();
// Bits per pixel of the display the program shows on (24 when it cannot be told).
int DisplayDepth();

// Whether a graphical display can be reached at all, asked before the toolkit starts (which
// would otherwise abort with a plugin error). Explains in `why` when it cannot.
bool DisplayConfigured(QString& why);
// Whether the toolkit can paint on the display (it cannot below 15 bits per pixel), asked
// before any window exists. Explains in `why`, with the display's depth, when it cannot.
bool DisplayPaintable(QString& why);

// Where SVX.dat lives: beside the program in a build tree or a portable copy (Svx.hlp lies
// beside it) when that folder can be written, otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME/Snapvault/).
QString SettingsFilePath();
// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config), without a trailing "/".
QString UserConfigFolder();
