// What both windowed programs do first, once their QApplication exists: the application's
// title for the message boxes, Qt's own Polish texts (standard buttons, file and print dialogs,
// context menus, Qt's system messages), the fonts the windows name.
#pragma once

#include <QString>

namespace vorida {

// The file name of Qt's Polish catalogue.
extern const char* const kQtPolishCatalogue;

// Finds Qt's Polish catalogue: first in `translations` beside the executable (the
// self-contained install folder and the Windows package put it there), then in Qt's own
// translations directory. Empty when there is none.
QString FindQtPolishCatalogue(const QString& executableDirectory);

// Loads that catalogue into the application; false (and the program runs on in English) when
// it cannot be found or read.
bool InstallQtPolishTranslation(const QString& executableDirectory);

// The application's title "Vorida", the Polish catalogue and the fonts.
void StartWindowedApplication();

} // namespace vorida
