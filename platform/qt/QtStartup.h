// What both windowed programs do first, once their QApplication exists: the application's
// title for the message boxes, Qt's own Polish texts (standard buttons, file and print dialogs,
// context menus, Qt's system messages) and our catalogue of the ones Qt's lacks, Polish as the
// interface's locale, the fonts the windows name.
#pragma once

#include <QString>

namespace vorida {

// The file names of Qt's Polish catalogue and of our own (the texts of Qt's print dialog that
// Qt's catalogue lacks).
extern const char* const kQtPolishCatalogue;
extern const char* const kVoridaPolishCatalogue;

// Finds the catalogue `name`: first in `translations` beside the executable (the
// self-contained install folder, the Windows package and the build put it there), then in
// Qt's own translations directory. Empty when there is none.
QString FindPolishCatalogue(const QString& executableDirectory, const char* name);
inline QString FindQtPolishCatalogue(const QString& executableDirectory)
{
    return FindPolishCatalogue(executableDirectory, kQtPolishCatalogue);
}

// Loads Qt's catalogue, then ours, which is consulted first; false when either cannot be found
// or read (the program runs on with what it has, in English at worst).
bool InstallPolishTranslations(const QString& executableDirectory);

// The application's title "Vorida", the Polish catalogues, Polish as the default locale (the
// file dialog's file types, Qt's widgets; numbers in files are written with "." by our own
// code whatever the locale) and the fonts.
void StartWindowedApplication();

} // namespace vorida
