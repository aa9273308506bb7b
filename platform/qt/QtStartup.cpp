#include "QtStartup.h"

#include "QtPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vorida {

const char* const kQtPolishCatalogue = "qtbase_pl.qm";
const char* const kVoridaPolishCatalogue = "vorida_pl.qm";

QString FindPolishCatalogue(const QString& executableDirectory, const char* fileName)
{
    const QString name = QString::fromLatin1(fileName);
    for (const QString& directory : { executableDirectory + QStringLiteral("/translations"),
             QLibraryInfo::path(QLibraryInfo::TranslationsPath) }) {
        const QFileInfo file(directory + QLatin1Char('/') + name);
        if (!directory.isEmpty() && file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

namespace {

bool installCatalogue(const QString& executableDirectory, const char* name)
{
    const QString path = FindPolishCatalogue(executableDirectory, name);
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

} // namespace

bool InstallPolishTranslations(const QString& executableDirectory)
{
    const bool qt = installCatalogue(executableDirectory, kQtPolishCatalogue);
    // Installed last, so consulted first.
    return installCatalogue(executableDirectory, kVoridaPolishCatalogue) && qt;
}

void StartWindowedApplication()
{
    // The name, not the display name: a display name would be appended to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Vorida"));
    InstallPolishTranslations(QCoreApplication::applicationDirPath());
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    QtPlatform::LoadWindowsFonts();
}

} // namespace vorida
