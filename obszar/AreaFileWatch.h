// The area file on disk against the one the window shows: whether another program has changed it
// since it was read (or since the user last answered for a change), and when to look.
#pragma once

#include <QObject>

#include <string>

class QFileSystemWatcher;

namespace vorida::obszar {

class AreaFileWatch : public QObject
{
    Q_OBJECT
public:
    // A writer's burst of changes settles this long before the file is read.
    static constexpr int kSettleMilliseconds = 200;

    explicit AreaFileWatch(QObject* parent = nullptr);

    // The hash of a file's bytes; 0 when it cannot be read.
    static size_t HashOf(const std::string& path);

    // Watches the file at path, whose bytes as shown have the hash hash, and its folder: a file
    // replaced by renaming another over it drops out of a watch on the file alone.
    void Watch(const std::string& path, size_t hash);
    // Whether the file differs from the bytes shown and from every change looked at before:
    // each change counts once. A file gone for a moment (a writer's rename) is no change.
    bool Changed();

signals:
    // The file or its folder has stood still for a moment after a change: time to look.
    void CheckDue();

private:
    std::string path_;
    size_t hash_ = 0;
    QFileSystemWatcher* watcher_ = nullptr;
};

} // namespace vorida::obszar
