// Any image either loads whole or is refused with nothing changed; a loaded one, built,
// loaded again and built again, gives the same bytes as its first build.
//
// The input is the image; a shorter one is padded with zeros, bytes past an image are left
// out. By default the image is opened from memory; MIRVANE_FUZZ_IMAGE=files opens and saves
// ".tab" files in a temporary folder instead, as the program does.

#include "configurationsnapshot.h"
#include "fuzzsupport.h"
#include "recordingnotifier.h"
#include "testfiles.h"

#include <configuration.h>
#include <filecommands.h>
#include <settingsimage.h>

#include <QTemporaryDir>

namespace {

bool throughFiles()
{
    static const bool files = qEnvironmentVariable("MIRVANE_FUZZ_IMAGE") == QLatin1String("files");
    return files;
}

QString folder()
{
    static const QTemporaryDir dir;
    return dir.path();
}

// "Открыть файл" and "Записать файл" on one configuration, through files or in memory.
class Session
{
public:
    Session() : m_files(m_config, m_notifier) { }

    Configuration &config() { return m_config; }
    const RecordingNotifier &notifier() const { return m_notifier; }

    bool open(const QByteArray &image)
    {
        if (throughFiles()) {
            const QString path = folder() + QStringLiteral("/open.tab");
            FUZZ_CHECK(writeFile(path, image), path);
            return m_files.openFile(path);
        }
        const std::optional<SettingsImage> bytes = SettingsImage::fromBytes(image);
        FUZZ_CHECK(bytes, QString());
        return m_files.openImage(*bytes, QStringLiteral("fuzz.tab"));
    }

    // What a save gives: the file's bytes, or the built image when in memory.
    QByteArray save()
    {
        m_files.buildImage();
        if (!throughFiles())
            return m_config.image().Bytes();
        const QString path = folder() + QStringLiteral("/save.tab");
        FUZZ_CHECK(m_files.saveFile(path), m_notifier.messages.join(u'\n'));
        return readFile(path);
    }

private:
    Configuration m_config;
    RecordingNotifier m_notifier;
    FileCommands m_files;
};

QString region(int offset)
{
    if (offset < SettingsImage::ZoneNameOffset)
        return QStringLiteral("system block");
    if (offset < SettingsImage::DeviceTableOffset)
        return QStringLiteral("zone name %1").arg(1 + (offset - SettingsImage::ZoneNameOffset) / SettingsImage::ZoneNameSize);
    if (offset < SettingsImage::ChannelTableOffset)
        return QStringLiteral("device table");
    if (offset < SettingsImage::ZoneRecordOffset)
        return QStringLiteral("channel table");
    if (offset < SettingsImage::InputListOffset)
        return QStringLiteral("zone record %1").arg(1 + (offset - SettingsImage::ZoneRecordOffset) / SettingsImage::ZoneRecordSize);
    return QStringLiteral("input list and switches");
}

QString firstDifference(const QByteArray &first, const QByteArray &second)
{
    for (qsizetype i = 0; i < qMin(first.size(), second.size()); ++i) {
        if (first.at(i) != second.at(i))
            return QStringLiteral("first difference at offset %1 (%2): %3 became %4")
                    .arg(i)
                    .arg(region(int(i)))
                    .arg(quint8(first.at(i)))
                    .arg(quint8(second.at(i)));
    }
    return QStringLiteral("sizes %1 and %2").arg(first.size()).arg(second.size());
}

const ConfigurationSnapshot &startUpSnapshot()
{
    static const ConfigurationSnapshot snapshot = [] {
        Configuration config;
        return ConfigurationSnapshot::of(config);
    }();
    return snapshot;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    treatQtMessagesAsFaults();
    startUpSnapshot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray image = QByteArray(reinterpret_cast<const char *>(data), qsizetype(qMin<size_t>(size, SettingsImage::Size)))
                                     .leftJustified(SettingsImage::Size, '\0');
    Session session;
    if (!session.open(image)) {
        FUZZ_CHECK(session.notifier().messages.size() == 1, session.notifier().messages.join(u'\n'));
        FUZZ_CHECK(ConfigurationSnapshot::of(session.config()) == startUpSnapshot(), QString());
        return 0;
    }
    FUZZ_CHECK(session.notifier().messages.isEmpty(), session.notifier().messages.join(u'\n'));
    const QByteArray first = session.save();
    FUZZ_CHECK(session.open(first), session.notifier().messages.join(u'\n'));
    const QByteArray second = session.save();
    FUZZ_CHECK(second == first, firstDifference(first, second));
    return 0;
}
