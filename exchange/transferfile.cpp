#include <exchange/transferfile.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString fileName = QStringLiteral("temp.tab");

// Tried rather than judged by the permission bits, which miss read-only mounts and
// processes that see files as another user.
bool canMakeFilesIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".mirvane-XXXXXX")));
    return probe.open();
}

} // namespace

QString TransferFile::defaultDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
            .filePath(QStringLiteral("Mirvane"));
}

QString TransferFile::location(const QString &currentFolder, const QString &dataFolder)
{
    if (canMakeFilesIn(currentFolder))
        return QDir(currentFolder).absoluteFilePath(fileName);
    // Should the folder not be made, opening the file names it in its message.
    QDir().mkpath(dataFolder);
    return QDir(dataFolder).absoluteFilePath(fileName);
}
