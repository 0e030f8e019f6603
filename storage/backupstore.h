#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// A copy of every image read from the panel and every image written to it, so that what
// a panel held before it was overwritten can be had back. Each is a ".tab" file named by
// its date, time and direction; the newest are kept, the oldest go.
class BackupStore
{
public:
    enum class Direction { Read, Written };
    static constexpr int Kept = 200;

    struct Entry
    {
        QString path;
        QDateTime taken;
        Direction direction;
        qint64 size;
    };

    explicit BackupStore(QString folder);
    // The per-user folder the window and the command line share.
    static QString defaultFolder();

    const QString &folder() const { return m_folder; }
    // The file kept, empty when it could not be written (`error` says why).
    QString keep(const QByteArray &image, Direction direction, const QDateTime &when, QString *error);
    // Newest first.
    QList<Entry> entries() const;

    static QString directionWord(Direction direction); // "чтение", "запись"

private:
    void pruneToKept() const;

    QString m_folder;
};
