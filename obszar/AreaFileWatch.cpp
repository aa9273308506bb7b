#include "AreaFileWatch.h"

#include "System.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <fstream>
#include <functional>
#include <iterator>

namespace vorida::obszar {

AreaFileWatch::AreaFileWatch(QObject* parent) : QObject(parent)
{
    watcher_ = new QFileSystemWatcher(this);
    auto due = [this] { QTimer::singleShot(kSettleMilliseconds, this, &AreaFileWatch::CheckDue); };
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, due);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, due);
}

size_t AreaFileWatch::HashOf(const std::string& path)
{
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    if (!in)
        return 0;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::hash<std::string> {}(bytes) | 1U;
}

void AreaFileWatch::Watch(const std::string& path, size_t hash)
{
    path_ = path;
    hash_ = hash;
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    watcher_->addPath(QString::fromStdString(path));
    const std::string folder = PathText(FileSystemPath(path).parent_path());
    watcher_->addPath(QString::fromStdString(folder.empty() ? "." : folder));
}

bool AreaFileWatch::Changed()
{
    if (path_.empty())
        return false;
    const size_t hash = HashOf(path_);
    if (hash == 0 || hash == hash_)
        return false;
    hash_ = hash;
    if (!watcher_->files().contains(QString::fromStdString(path_)))
        watcher_->addPath(QString::fromStdString(path_)); // a file replaced: watched anew
    return true;
}

} // namespace vorida::obszar
