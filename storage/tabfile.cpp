#include <storage/tabfile.h>

#include <image/imagelayout.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <storage/filereading.h>
#include <storage/imageloader.h>
#include <systemerror/systemerror.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

QString shown(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// What a file may bring into the image: everything but the bytes that are never loaded
// and the zone names, which the zone rows write back. Written in place: an open makes
// no second image.
void bringIn(SettingsImage &image, const SettingsImage &file)
{
    const ImageBytes target = image.Whole();
    const QByteArrayView bytes(file.Bytes());
    int from = 0;
    const auto copyUpTo = [&](int end) {
        target.write(from, bytes.sliced(from, end - from));
    };
    for (const ImageLayout::ByteRange &kept : ImageLayout::NeverLoaded) {
        copyUpTo(kept.first);
        from = kept.last + 1;
    }
    copyUpTo(SettingsImage::ZoneNameOffset);
    from = SettingsImage::ZoneNameOffset + SettingsImage::ZoneNameSize * SettingsImage::ZoneSlotCount;
    copyUpTo(SettingsImage::Size);
}

constexpr bool neverLoaded(int first, int last)
{
    for (const ImageLayout::ByteRange &kept : ImageLayout::NeverLoaded) {
        if (kept.first <= last && first <= kept.last)
            return true;
    }
    return false;
}
static_assert(!neverLoaded(ImageLayout::DayStarts, ImageLayout::NightStarts + ImageLayout::TimeProfileCount - 1)
                      && !neverLoaded(ImageLayout::EventCodes,
                                      ImageLayout::EventCodes + 2 * ImageLayout::EventCodeCount - 1),
              "the values a load refuses must be ones a file brings");

} // namespace

namespace TabFile {

bool RecordArrayToFile(const SettingsImage &image, const QString &fileName, QString *error)
{
    QByteArray bytes = image.Bytes();
    for (const ImageLayout::ByteRange &range : ImageLayout::NeverLoaded) {
        for (int offset = range.first; offset <= range.last; ++offset)
            bytes[offset] = '\0';
    }
    QSaveFile file(fileName);
    int code = 0;
    if (SystemError::attempt([&] { return file.open(QIODevice::WriteOnly); }, code)
        && SystemError::attempt([&] { return file.write(bytes) == bytes.size(); }, code)
        && SystemError::attempt([&] { return file.commit(); }, code))
        return true;
    if (error)
        *error = message(MessageId::FileNotWritten)
                         .arg(shown(fileName), SystemError::describe(file, code));
    return false;
}

std::optional<QByteArray> readImage(const QString &fileName, QString *error)
{
    const std::optional<QByteArray> read = readFileBytes(fileName, SettingsImage::Size, error);
    if (!read)
        return std::nullopt;
    const QByteArray &bytes = *read;
    if (bytes.size() != SettingsImage::Size) {
        if (error)
            *error = message(MessageId::NotSettingsFile)
                             .arg(shown(fileName), QString::number(bytes.size()),
                                  QString::number(SettingsImage::Size));
        return std::nullopt;
    }
    return bytes;
}

bool RecordFileToArray(Configuration &config, const QString &fileName, QString *error)
{
    const std::optional<QByteArray> file = readImage(fileName, error);
    if (!file)
        return false;
    return RecordImageToArray(config, *SettingsImage::fromBytes(*file), fileName, error);
}

bool RecordImageToArray(Configuration &config, const SettingsImage &read, const QString &fileName,
                        QString *error)
{
    // The values checked all lie in what a file brings, so the file itself is checked.
    if (const auto problem = ImageLoader::findUnconvertibleValue(read)) {
        if (error)
            *error = message(MessageId::ValueNotReadable)
                             .arg(shown(fileName), problem->value, QString::number(problem->offset),
                                  problem->meaning);
        return false;
    }
    bringIn(config.image(), read);
    ImageLoader::fillTables(config, read);
    return true;
}

} // namespace TabFile
