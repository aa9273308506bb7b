// vorida-obszar: the "Kontrola obszaru" window on the TRANSPKT.BIN beside the program, or on the
// area file given as its argument (a check-point file may follow it).
#include "AreaWindow.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "System.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vorida::StartWindowedApplication();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vorida/obszar/vorida.png")));
    vorida::QtPlatform platform;
    vorida::InstallPlatform(&platform);

    const QStringList args = QApplication::arguments();
    const std::string area = args.size() > 1
        ? args[1].toStdString()
        : vorida::PathIn(platform.ExecutableDirectory(), "TRANSPKT.BIN");
    vorida::obszar::AreaWindow window;
    window.show();
    if (window.OpenArea(area) && args.size() > 2)
        window.OpenChecks(args[2].toStdString());
    return app.exec();
}
