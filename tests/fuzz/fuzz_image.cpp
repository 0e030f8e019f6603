// Any image either loads whole or is refused with nothing changed; a loaded one, built,
// loaded again and built again, gives the same bytes as its first build.
//
// The input is the image; a shorter one is padded with zeros, bytes past an image are left
// out. By default the image is opened from memory; MIRVANE_FUZZ_IMAGE=files opens and saves
// ".tab" files in a temporary folder instead, as the program does.

#include "configurationsnapshot.h"
#include "fuzzsupport.h"
#include "recordingnotifier.h"
#include "richconfiguration.h"
#include "testfiles.h"

#include <image/settingsimage.h>
#include <model/configuration.h>
#include <storage/filecommands.h>

#include <QScopeGuard>
#include <QTemporaryDir>

#include <array>

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

// The program's state right after start, made once: every run starts from a copy of it,
// which shares its rows instead of creating 500 zones with their rules again.
Configuration &startUp()
{
    static Configuration config;
    return config;
}

// "Открыть файл" and "Записать файл" on one configuration, through files or in memory.
class Session
{
public:
    Session() : m_files(m_config, m_notifier) { }

    Configuration &config() { return m_config; }
    const RecordingNotifier &notifier() const { return m_notifier; }

    void restoreStartUp()
    {
        const auto origin = startUp().tables();
        const auto tables = m_config.tables();
        for (std::size_t i = 0; i < tables.size(); ++i)
            tables.at(i)->copyRowsFrom(*origin.at(i), MemTable::Rows::All);
        m_config.image().Whole().write(0, startUp().image().Bytes()); // into its own bytes: no new block
        m_config.setSettings(startUp().settings());
        m_notifier.clear();
    }

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

    // What a save gives, in `into`: the file's bytes, or the built image when in memory.
    const QByteArray &save(QByteArray &into)
    {
        m_files.buildImage();
        if (throughFiles()) {
            const QString path = folder() + QStringLiteral("/save.tab");
            FUZZ_CHECK(m_files.saveFile(path), m_notifier.messages.join(u'\n'));
            into = readFile(path);
            return into;
        }
        const QByteArray &built = m_config.image().Bytes();
        into.resize(built.size());
        std::copy(built.cbegin(), built.cend(), into.data());
        return into;
    }

private:
    Configuration m_config;
    RecordingNotifier m_notifier;
    FileCommands m_files;
};

Session &session()
{
    static Session session;
    return session;
}

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
    static const ConfigurationSnapshot snapshot = ConfigurationSnapshot::of(startUp());
    return snapshot;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    treatQtMessagesAsFaults();
    startUpSnapshot();
    // Runs may only share the process if a restored session is the start-up state again.
    Configuration rich;
    fillRichConfiguration(rich);
    FUZZ_CHECK(session().open(rich.image().Bytes()), session().notifier().messages.join(u'\n'));
    FUZZ_CHECK(!(ConfigurationSnapshot::of(session().config()) == startUpSnapshot()), QString());
    session().restoreStartUp();
    FUZZ_CHECK(ConfigurationSnapshot::of(session().config()) == startUpSnapshot(), QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Images live in buffers kept from run to run: under the sanitizers each fresh
    // image-sized block is mapped and faulted in anew, a cost that shows in the run rate.
    static QByteArray image(SettingsImage::Size, '\0');
    static QByteArray first;
    static QByteArray second;
    const size_t given = qMin<size_t>(size, SettingsImage::Size);
    std::copy_n(data, given, image.data());
    std::fill(image.data() + given, image.data() + image.size(), '\0');
    Session &session = ::session();
    // Restored before and after: a run that left more blocks allocated than it found would
    // make libFuzzer run it again to look for a leak.
    session.restoreStartUp();
    const auto restored = qScopeGuard([&session] { session.restoreStartUp(); });
    if (!session.open(image)) {
        FUZZ_CHECK(session.notifier().messages.size() == 1, session.notifier().messages.join(u'\n'));
        FUZZ_CHECK(ConfigurationSnapshot::of(session.config()) == startUpSnapshot(), QString());
        return 0;
    }
    FUZZ_CHECK(session.notifier().messages.isEmpty(), session.notifier().messages.join(u'\n'));
    session.save(first);
    FUZZ_CHECK(session.open(first), session.notifier().messages.join(u'\n'));
    session.save(second);
    FUZZ_CHECK(second == first, firstDifference(first, second));
    return 0;
}
