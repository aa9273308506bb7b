// The windows' folders: the folder dialog and the desktop's file manager.
#include "QtPlatform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace vorida {

std::optional<std::string> QtPlatform::ChooseFolder(
    std::string_view caption, std::string_view directory)
{
    QFileDialog dialog(DialogParent(),
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
        QString::fromUtf8(directory.data(), static_cast<qsizetype>(directory.size())));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setViewMode(QFileDialog::List); // folders by name: no sizes or dates to read
    // Among its neighbours (the other areas' folders, as a rule), itself selected.
    const QFileInfo folder(dialog.directory().absolutePath());
    if (folder.isDir() && !folder.isRoot()) {
        dialog.setDirectory(folder.absolutePath());
        dialog.selectFile(folder.fileName());
    }
    // A system dialog would open under a window that stays on top (the search dialog).
    if (KeepAboveStayingOnTop(dialog))
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toUtf8().toStdString();
}

bool QtPlatform::OpenFolder(const std::string& directory)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(directory)));
}

} // namespace vorida
