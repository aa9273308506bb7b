#include "WorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vorida::ui {

namespace {

const char* const kRecentFoldersKey = "OstatnieFoldery";

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vorida"),
        QStringLiteral("Vorida"));
}

} // namespace

QString WorkFolderOf(const QString& path, const QString& currentDirectory)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(QDir(currentDirectory), QDir::fromNativeSeparators(path));
    const QString folder = info.isFile() ? info.absolutePath() : info.absoluteFilePath();
    return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

bool SameFolder(const QString& a, const QString& b)
{
#ifdef _WIN32
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(a))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(b)), cs)
        == 0;
}

QStringList WithRecentFolder(const QStringList& recent, const QString& folder)
{
    QStringList list { folder };
    for (const QString& f : recent)
        if (list.size() < kRecentFolderCount && !f.isEmpty() && !SameFolder(f, folder))
            list << f;
    return list;
}

QStringList LoadRecentFolders()
{
    QStringList folders = userSettings().value(QLatin1String(kRecentFoldersKey)).toStringList();
    folders.removeAll(QString());
    return folders.mid(0, kRecentFolderCount);
}

void SaveRecentFolders(const QStringList& folders)
{
    QSettings settings = userSettings();
    settings.setValue(QLatin1String(kRecentFoldersKey), folders);
}

QString StartFolder(const QStringList& arguments, const QString& executableDirectory)
{
    if (arguments.isEmpty() || arguments.front().isEmpty())
        return executableDirectory;
    return WorkFolderOf(arguments.front(), QDir::currentPath());
}

} // namespace vorida::ui
