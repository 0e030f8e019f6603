#include <storage/filecommands.h>

#include <messages/messages.h>
#include <model/configuration.h>
#include <model/notifier.h>
#include <storage/imagebuilder.h>
#include <storage/imageloader.h>
#include <storage/tabfile.h>

#include <QDir>
#include <QFileInfo>

FileCommands::FileCommands(Configuration &config, Notifier &notifier)
    : m_config(config), m_notifier(notifier)
{
}

bool FileCommands::openFile(const QString &fileName)
{
    return open([&](QString *error) { return TabFile::RecordFileToArray(m_config, fileName, error); });
}

bool FileCommands::openImage(const SettingsImage &image, const QString &name)
{
    return open([&](QString *error) { return TabFile::RecordImageToArray(m_config, image, name, error); });
}

bool FileCommands::open(const std::function<bool(QString *error)> &load)
{
    MemTable &zones = m_config.mtArea();
    zones.beginUpdate();
    QString error;
    const bool loaded = load(&error);
    if (loaded) {
        // The file was checked before anything changed, so this stage cannot refuse.
        ImageLoader::FillByDataFromMemory(m_config);
        zones.first();
    }
    zones.endUpdate();
    m_config.mtDev().first();
    if (loaded)
        emit m_config.notices().replaced();
    else
        m_notifier.warning(error);
    return loaded;
}

void FileCommands::buildImage()
{
    ImageBuilder::build(m_config);
}

bool FileCommands::saveFile(const QString &fileName)
{
    QString error;
    if (TabFile::RecordArrayToFile(m_config.image(), fileName, &error))
        return true;
    m_notifier.warning(error);
    return false;
}

QString FileCommands::factoryFilePath(const QString &applicationDir)
{
    return QDir(applicationDir).filePath(QStringLiteral("adjustments/заводские.tab"));
}

bool FileCommands::restoreFactorySettings(const QString &applicationDir)
{
    const QString path = factoryFilePath(applicationDir);
    if (!QFileInfo::exists(path)) {
        m_notifier.information(message(MessageId::NoFactoryFile));
        return false;
    }
    return openFile(path);
}
