// A small entry to try the editor on its own: opens an editor window on the file given.
//   vorida-edytor PLIK [--zrzuty KATALOG]
// With --zrzuty the window is filled, grabbed to KATALOG/editor.png together with the search
// dialog (KATALOG/search.png), and the program ends.
#include "QtPlatform.h"
#include "QtStartup.h"
#include "Szukaj.h"
#include "TextArea.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>

using namespace vorida::editor;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vorida::StartWindowedApplication();
    vorida::QtPlatform platform;
    vorida::InstallPlatform(&platform);

    const QStringList args = QApplication::arguments();
    auto* window = new TEdytorF;
    if (args.size() > 1)
        window->OpenFile(args[1]);
    const qsizetype shots = args.indexOf(QStringLiteral("--zrzuty"));
    if (shots > 0 && shots + 1 < args.size()) {
        const QDir dir(args[shots + 1]);
        QTimer::singleShot(300, [window, dir] {
            TEdytorFrame* frame = window->Frame();
            frame->ToolbarButton9712Click();
            TForm_Szukaj* search = frame->SearchDialog();
            search->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("łódź"));
            search->FindNext();
            QTimer::singleShot(300, [window, search, dir] {
                window->grab().save(dir.filePath(QStringLiteral("editor.png")));
                search->grab().save(dir.filePath(QStringLiteral("search.png")));
                QApplication::quit();
            });
        });
    }
    int result = QApplication::exec();
    vorida::InstallPlatform(nullptr);
    return result;
}
