#include "QtStartup.h"

#include "QtPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorida {

const char* const kQtPolishCatalogue = "qtbase_pl.qm";

QString FindQtPolishCatalogue(const QString& executableDirectory)
{
    const QString name = QString::fromLatin1(kQtPolishCatalogue);
    for (const QString& directory : { executableDirectory + QStringLiteral("/translations"),
             QLibraryInfo::path(QLibraryInfo::TranslationsPath) }) {
        const QFileInfo file(directory + QLatin1Char('/') + name);
        if (!directory.isEmpty() && file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

bool InstallQtPolishTranslation(const QString& executableDirectory)
{
    const QString path = FindQtPolishCatalogue(executableDirectory);
    if (path.isEmpty())
        return false;
    // Owned by the application, which keeps it for the rest of the process.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(path)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void StartWindowedApplication()
{
    // The name, not the display name: a display name would be appended to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Vorida"));
    InstallQtPolishTranslation(QCoreApplication::applicationDirPath());
    QtPlatform::LoadWindowsFonts();
}

} // namespace vorida
