// The disk watch on its own, without a window: what counts as a change of the file, checked
// directly; and one test of the real watcher, which says when to look.
#include "DiskWatch.h"
#include "EditorTestSupport.h"

#include <QSignalSpy>

using namespace vorida::editor;
using namespace editortest;

class tst_DiskWatch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        path_ = dir_.filePath(QStringLiteral("Raport.txt"));
        QFile::remove(path_);
    }

    // What another writer does to the file after it was loaded, and what a look finds.
    void changes_data()
    {
        QTest::addColumn<bool>("existedAtLoad");
        QTest::addColumn<int>("writer"); // 0 none, 1 same bytes again, 2 new bytes, 3 rename
                                         // over it, 4 delete, 5 delete and make again
        QTest::addColumn<int>("change");
        using C = DiskWatch::Change;
        QTest::newRow("untouched") << true << 0 << int(C::None);
        QTest::newRow("same bytes written again") << true << 1 << int(C::None);
        QTest::newRow("new bytes") << true << 2 << int(C::Changed);
        QTest::newRow("renamed over it") << true << 3 << int(C::Changed);
        QTest::newRow("deleted") << true << 4 << int(C::Deleted);
        QTest::newRow("deleted and made again") << true << 5 << int(C::Changed);
        QTest::newRow("made where none was") << false << 2 << int(C::Changed);
        QTest::newRow("still none") << false << 0 << int(C::None);
    }

    void changes()
    {
        QFETCH(bool, existedAtLoad);
        QFETCH(int, writer);
        QFETCH(int, change);
        const QByteArray loaded = "1 5712345.00 6543210.00\r\n";
        if (existedAtLoad)
            writeBytes(path_, loaded);
        DiskWatch watch;
        watch.SetPath(path_);
        watch.Rebase(DiskVersionOf(path_), existedAtLoad ? loaded.toStdString() : std::string());
        const QByteArray other = "2 5712346.00 6543211.00 nowy\r\n";
        switch (writer) {
        case 1:
            writeBytes(path_, loaded);
            break;
        case 2:
            writeBytes(path_, other);
            break;
        case 3:
            writeBytes(path_ + ".tmp", other);
            QFile::remove(path_);
            QVERIFY(QFile::rename(path_ + ".tmp", path_));
            break;
        case 4:
            QVERIFY(QFile::remove(path_));
            break;
        case 5:
            QVERIFY(QFile::remove(path_));
            writeBytes(path_, other);
            break;
        }
        std::string bytes;
        DiskVersion version;
        QCOMPARE(int(watch.Look(bytes, version)), change);
        if (change == int(DiskWatch::Change::Changed))
            QCOMPARE(QByteArray::fromStdString(bytes), other);
        // Looked at once: the same version is no news to the next look, but Compare (before
        // a save) still tells it from the version the text stands for.
        QCOMPARE(int(watch.Look(bytes, version)), int(DiskWatch::Change::None));
        QCOMPARE(int(watch.Compare(bytes)), writer == 1 ? int(DiskWatch::Change::None) : change);
        watch.Rebase(version, bytes); // answered for
        QCOMPARE(int(watch.Compare(bytes)), int(DiskWatch::Change::None));
    }

    // The real watcher: a change of the file makes the check due once the file stands still.
    void aChangeMakesTheCheckDue()
    {
        writeBytes(path_, "stary\r\n");
        DiskWatch watch;
        watch.SetPath(path_);
        watch.Rebase(DiskVersionOf(path_), "stary\r\n");
        QSignalSpy due(&watch, &DiskWatch::CheckDue);
        writeBytes(path_, "nowy\r\n");
        QTRY_COMPARE(due.size(), 1);
        std::string bytes;
        DiskVersion version;
        QCOMPARE(int(watch.Look(bytes, version)), int(DiskWatch::Change::Changed));
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

QTEST_MAIN(tst_DiskWatch)
#include "tst_DiskWatch.moc"
