#include "restrictedfiles.h"

#include <messages/messages.h>
#include <storage/backupstore.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestBackupStore : public QObject
{
    Q_OBJECT

private slots:
    void keep_namesByTimeAndDirection();
    void keep_theNewestOnly();
    void keep_intoAFolderThatCannotBeMade();
    void keep_failingWriteToldInTheProgramsWords();
};

void TestBackupStore::keep_namesByTimeAndDirection()
{
    QTemporaryDir dir;
    BackupStore store(dir.filePath(u"backups"_s));
    const QDateTime when(QDate(2026, 12, 10), QTime(14, 3, 22));
    QString error;
    const QByteArray image(16, 'x');
    QCOMPARE(QFileInfo(store.keep(image, BackupStore::Direction::Read, when, &error)).fileName(),
             u"2026-12-10 14-03-22 чтение.tab"_s);
    QCOMPARE(QFileInfo(store.keep(image, BackupStore::Direction::Written, when, &error)).fileName(),
             u"2026-12-10 14-03-22 запись.tab"_s);
    // A second write in the same second does not overwrite the first.
    QCOMPARE(QFileInfo(store.keep(image, BackupStore::Direction::Written, when, &error)).fileName(),
             u"2026-12-10 14-03-22 запись (2).tab"_s);
    QFile foreign(QDir(store.folder()).filePath(u"мой.tab"_s));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();

    const QList<BackupStore::Entry> entries = store.entries();
    QCOMPARE(entries.size(), 3); // someone else's file is not counted
    QCOMPARE(entries.first().taken, when);
    QCOMPARE(QFileInfo(entries.first().path).fileName(), u"2026-12-10 14-03-22 запись (2).tab"_s);
    QCOMPARE(entries.first().size, 16);
    QFile kept(entries.first().path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), image);
}

void TestBackupStore::keep_theNewestOnly()
{
    QTemporaryDir dir;
    BackupStore store(dir.path());
    const QDateTime first(QDate(2026, 1, 1), QTime(0, 0));
    QString error;
    for (int i = 0; i < BackupStore::Kept; ++i)
        QVERIFY(!store.keep("a", BackupStore::Direction::Read, first.addSecs(i), &error).isEmpty());
    QCOMPARE(store.entries().size(), BackupStore::Kept);
    QCOMPARE(store.entries().last().taken, first);

    QVERIFY(!store.keep("b", BackupStore::Direction::Written, first.addSecs(BackupStore::Kept), &error).isEmpty());
    const QList<BackupStore::Entry> entries = store.entries();
    QCOMPARE(entries.size(), BackupStore::Kept);
    QCOMPARE(entries.last().taken, first.addSecs(1)); // the oldest went
    QCOMPARE(entries.first().direction, BackupStore::Direction::Written);
}

void TestBackupStore::keep_intoAFolderThatCannotBeMade()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(u"file"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BackupStore store(dir.filePath(u"file/backups"_s));
    QString error;
    QVERIFY(store.keep("a", BackupStore::Direction::Read, QDateTime::currentDateTime(), &error).isEmpty());
    QVERIFY(!error.isEmpty());
}

// Qt's own words would come in English here, whatever the user's language.
void TestBackupStore::keep_failingWriteToldInTheProgramsWords()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    BackupStore store(dir.filePath(u"backups"_s));
    QString error;
    QString kept;
    {
        const FileSizeLimit limit(16);
        QVERIFY(limit.isValid());
        // An image's size, past what Qt buffers: a buffered write failing at the commit
        // goes unnoticed by Qt 6.4's QSaveFile.
        kept = store.keep(QByteArray(204800, 'x'), BackupStore::Direction::Read, QDateTime::currentDateTime(), &error);
    }
    QVERIFY(kept.isEmpty());
    QCOMPARE(error, message(MessageId::SystemTooLarge));
    QVERIFY(store.entries().isEmpty());
#else
    QSKIP("only Linux limits the size of a file");
#endif
}

QTEST_GUILESS_MAIN(TestBackupStore)
#include "tst_backupstore.moc"
