// An editor's file on disk against the version its text stands for (the one last loaded,
// saved or answered for): whether another writer has changed or deleted it, and when to look.
// It knows no window: the frame decides what to do about a change (reload or ask).
#pragma once

#include "TextFile.h"

#include <QObject>
#include <QString>

#include <string>
#include <string_view>

class QFileSystemWatcher;
class QTimer;

namespace vorida::editor {

class DiskWatch : public QObject
{
    Q_OBJECT
public:
    enum class Change { None, Changed, Deleted };

    // A writer's burst of changes settles this long before the file is read.
    static constexpr int kSettleMilliseconds = 250;
    // While the check cannot run (a modal window is open), it is due again this much later.
    static constexpr int kRetryMilliseconds = 400;

    explicit DiskWatch(QObject* parent = nullptr);

    const QString& Path() const { return path_; }
    // Watches the file at `path` (none when empty) and its directory: a file replaced by
    // renaming another over it (as editors save) or deleted and made again drops out of a
    // watch on the file alone.
    void SetPath(const QString& path);
    // The text now stands for `version`, whose content is `bytes`.
    void Rebase(const DiskVersion& version, std::string_view bytes);

    // The file against the version the text stands for; `bytes` gets its content when it
    // changed. A file touched or written again with the same bytes is no change (and becomes
    // the version stood for); a file held by its writer counts as unchanged until its next
    // change.
    Change Compare(std::string& bytes);
    // A check: as Compare, but None when the file is as the last check found it. `version`
    // gets the version found.
    Change Look(std::string& bytes, DiskVersion& version);
    // The check is due again in a while.
    void RetryLater();

signals:
    // The file has stood still for a moment after a change: time to look.
    void CheckDue();

private:
    void watch();

    QString path_;
    DiskVersion base_; // as loaded, saved or answered for
    size_t baseHash_ = 0;
    DiskVersion seen_; // as the last check found it
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* settle_ = nullptr;
};

} // namespace vorida::editor
