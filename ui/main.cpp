// Vorida: the windowed program.
#include "PrzyciskLok.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "UTransPKTF.h"

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

    vorida::ui::TForm1 form;
    QObject::connect(&form, &QDialog::finished, &app, &QApplication::quit);
    form.show();
    return app.exec();
}
