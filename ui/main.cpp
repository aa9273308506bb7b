// Vorida: the windowed program. `vorida [FOLDER]` works on FOLDER (or the folder of a file
// named), without one on the executable's directory.
#include "PrzyciskLok.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "UTransPKTF.h"
#include "WorkFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vorida::StartWindowedApplication();
    vorida::QtPlatform platform;
    vorida::InstallPlatform(&platform);

    // The program-wide objects: the shared pictures of the file buttons here; the
    // transformation, the loader and the run object exist from the start of the process.
    vorida::ui::TPrzyciskLok::FilePresentGlyph();

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    vorida::ui::TForm1 form(nullptr,
        vorida::ui::StartFolder(arguments, QString::fromStdString(platform.ExecutableDirectory())));
    form.RememberRecentFolders(vorida::ui::LoadRecentFolders(), vorida::ui::SaveRecentFolders);
    QObject::connect(&form, &QDialog::finished, &app, &QApplication::quit);
    form.show();
    return app.exec();
}
