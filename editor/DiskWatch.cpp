#include "DiskWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace vorida::editor {

DiskWatch::DiskWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this))
{
    settle_->setSingleShot(true);
    connect(settle_, &QTimer::timeout, this, &DiskWatch::CheckDue);
    // A change of the file itself waits until the file stands still; a change elsewhere in
    // its directory (which may be endless: another program's log) never puts the check off.
    connect(watcher_, &QFileSystemWatcher::fileChanged, this,
        [this] { settle_->start(kSettleMilliseconds); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!settle_->isActive())
            settle_->start(kSettleMilliseconds);
    });
}

void DiskWatch::SetPath(const QString& path)
{
    path_ = path;
    watch();
}

void DiskWatch::Rebase(const DiskVersion& version, std::string_view bytes)
{
    base_ = version;
    seen_ = version;
    baseHash_ = ContentHash(bytes);
}

void DiskWatch::watch()
{
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (path_.isEmpty())
        return;
    const QFileInfo info(path_);
    if (info.isFile())
        watcher_->addPath(path_);
    if (info.absoluteDir().exists())
        watcher_->addPath(info.absolutePath());
}

DiskWatch::Change DiskWatch::Compare(std::string& bytes)
{
    const DiskVersion version = DiskVersionOf(path_);
    if (version == base_)
        return Change::None;
    if (!version.Exists)
        return base_.Exists ? Change::Deleted : Change::None;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const TextFileError&) {
        return Change::None; // held by its writer: looked at again on its next change
    }
    if (base_.Exists && ContentHash(bytes) == baseHash_) {
        Rebase(version, bytes); // touched, or written again with the same bytes
        return Change::None;
    }
    return Change::Changed;
}

DiskWatch::Change DiskWatch::Look(std::string& bytes, DiskVersion& version)
{
    if (path_.isEmpty())
        return Change::None;
    if (watcher_->files().isEmpty() && QFileInfo(path_).isFile())
        watch(); // the file is back
    version = DiskVersionOf(path_);
    if (version == seen_)
        return Change::None;
    seen_ = version;
    return Compare(bytes);
}

void DiskWatch::RetryLater()
{
    settle_->start(kRetryMilliseconds);
}

} // namespace vorida::editor
