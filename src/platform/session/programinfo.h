#pragma once

#include <QString>

// The version string compiled into the program (at most 12 characters); empty when none.
QString ProgramVersion();
// Where the program finds its own files and keeps its settings.
struct TProgramPaths {
    QString Folder;       // help file and default sounds; the working folder; trailing "/"
    QString SettingsFile; // SVX.dat
};

// The paths for an executable in `executableFolder`. A folder that holds Svx.hlp beside the
// executable is a build tree or a portable copy: the program's files are there, and so is SVX.dat
// when the folder is writable. Otherwise the program is installed: its files are in
// ../share/snapvault/ and SVX.dat is the user's, in `configHome`/Snapvault/.
TProgramPaths ProgramPathsFor(const QString& executableFolder, bool helpBeside, bool folderWritable,
                              const QString& configHome);

// The program's folder (see ProgramPathsFor), with a trailing "/".
QString ProgramFolder();
// The full path of SVX.dat (see ProgramPathsFor). Its folder may not exist yet.
QString SettingsFilePath();
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

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config), without a trailing "/".
QString UserConfigFolder();
