// The folder the main window works on (the area's TRANSPKT.BIN, the point files, the results
// and the report): named on the command line, chosen in the window or dropped onto it; and the
// folders worked on before, remembered between starts.
#pragma once

#include <QString>
#include <QStringList>

namespace vorida::ui {

// The recent folders the window offers.
inline constexpr qsizetype kRecentFolderCount = 8;

// The work folder `path` stands for: a folder itself, the folder of a file (a TRANSPKT.BIN, a
// point file); a path that names nothing counts as a folder (a share that went away). Relative
// paths are taken from currentDirectory. In the system's form, without a trailing separator but
// for a root. Empty for an empty path.
QString WorkFolderOf(const QString& path, const QString& currentDirectory);

// True when both name one folder as the system compares names (without regard to case on
// Windows).
bool SameFolder(const QString& a, const QString& b);

// folder first, then the others of recent without it, kRecentFolderCount at most.
QStringList WithRecentFolder(const QStringList& recent, const QString& folder);

// The recent folders in the user's settings: Vorida/Vorida.ini in the user's configuration
// folder (~/.config, %APPDATA%). Reading a missing or unreadable file gives none.
QStringList LoadRecentFolders();
void SaveRecentFolders(const QStringList& folders);

// The work folder of the program's arguments (without the program's name): the first one, else
// the executable's directory.
QString StartFolder(const QStringList& arguments, const QString& executableDirectory);

} // namespace vorida::ui
