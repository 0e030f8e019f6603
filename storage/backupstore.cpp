#include <storage/backupstore.h>

#include <messages/messages.h>
#include <systemerror/systemerror.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

// "2026-12-10 14-03-22 чтение.tab", and " (2)" before the dot for a second in one second.
const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(
            QStringLiteral("^(\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}) (чтение|запись)(?: \\((\\d+)\\))?\\.tab$"));
    return pattern;
}

} // namespace

BackupStore::BackupStore(QString folder) : m_folder(std::move(folder)) { }

QString BackupStore::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("Mirvane/backups"));
}

QString BackupStore::directionWord(Direction direction)
{
    return direction == Direction::Read ? QStringLiteral("чтение") : QStringLiteral("запись");
}

QString BackupStore::keep(const QByteArray &image, Direction direction, const QDateTime &when, QString *error)
{
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = message(MessageId::BackupFolderNotCreated).arg(QDir::toNativeSeparators(m_folder));
        return {};
    }
    const QString stem = when.toString(TimeFormat) + u' ' + directionWord(direction);
    QString path = QDir(m_folder).filePath(stem + QStringLiteral(".tab"));
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = QDir(m_folder).filePath(QStringLiteral("%1 (%2).tab").arg(stem).arg(copy));
    QSaveFile file(path);
    int code = 0;
    if (!SystemError::attempt([&] { return file.open(QIODevice::WriteOnly); }, code)
        || !SystemError::attempt([&] { return file.write(image) == image.size(); }, code)
        || !SystemError::attempt([&] { return file.commit(); }, code)) {
        if (error)
            *error = SystemError::describe(file, code);
        return {};
    }
    pruneToKept();
    return path;
}

QList<BackupStore::Entry> BackupStore::entries() const
{
    struct Named
    {
        Entry entry;
        int copy;
    };
    QList<Named> found;
    const QFileInfoList files = QDir(m_folder).entryInfoList({ QStringLiteral("*.tab") }, QDir::Files);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch match = namePattern().match(file.fileName());
        if (!match.hasMatch())
            continue; // not one of ours: left alone
        const QDateTime taken = QDateTime::fromString(match.captured(1), TimeFormat);
        const Direction direction = match.captured(2) == directionWord(Direction::Read) ? Direction::Read
                                                                                        : Direction::Written;
        found.append({ { file.filePath(), taken, direction, file.size() }, match.captured(3).toInt() });
    }
    // Within one second the numbered copies came later; a read before a write is not known.
    std::sort(found.begin(), found.end(), [](const Named &a, const Named &b) {
        if (a.entry.taken != b.entry.taken)
            return a.entry.taken > b.entry.taken;
        return a.copy > b.copy;
    });
    QList<Entry> entries;
    for (const Named &named : found)
        entries.append(named.entry);
    return entries;
}

void BackupStore::pruneToKept() const
{
    const QList<Entry> all = entries();
    for (qsizetype i = Kept; i < all.size(); ++i)
        QFile::remove(all.at(i).path);
}
