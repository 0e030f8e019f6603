#include "tabfile.h"

#include "imagelayout.h"
#include "imageloader.h"

#include <configuration.h>
#include <systemerror.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

QString shown(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// What a file may bring into the image: everything but the bytes that are never loaded
// and the zone names, which the zone rows write back.
QByteArray mergedImage(const QByteArray &current, const QByteArray &file)
{
    QByteArray merged = file;
    for (const ImageLayout::ByteRange &range : ImageLayout::NeverLoaded) {
        for (int offset = range.first; offset <= range.last; ++offset)
            merged[offset] = current.at(offset);
    }
    const int names = SettingsImage::ZoneNameOffset;
    const int namesSize = SettingsImage::ZoneNameSize * SettingsImage::ZoneSlotCount;
    merged.replace(names, namesSize, current.mid(names, namesSize));
    return merged;
}

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
        *error = QStringLiteral("Не удалось записать файл «%1»: %2")
                         .arg(shown(fileName), SystemError::describe(file, code));
    return false;
}

std::optional<QByteArray> readImage(const QString &fileName, QString *error)
{
    QFile file(fileName);
    int code = 0;
    if (!SystemError::attempt([&] { return file.open(QIODevice::ReadOnly); }, code)) {
        if (error)
            *error = QStringLiteral("Не удалось открыть файл «%1»: %2")
                             .arg(shown(fileName), SystemError::describe(file, code));
        return std::nullopt;
    }
    QByteArray bytes;
    const bool readable = SystemError::attempt(
            [&] {
                bytes = file.read(SettingsImage::Size);
                return file.error() == QFileDevice::NoError;
            },
            code);
    if (!readable) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать файл «%1»: %2")
                             .arg(shown(fileName), SystemError::describe(file, code));
        return std::nullopt;
    }
    if (bytes.size() != SettingsImage::Size) {
        if (error)
            *error = QStringLiteral("Файл «%1» не является файлом настроек прибора: в нём %2 байт, "
                                    "а должно быть %3.")
                             .arg(shown(fileName))
                             .arg(bytes.size())
                             .arg(SettingsImage::Size);
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
    std::optional<SettingsImage> image = SettingsImage::fromBytes(mergedImage(config.image().Bytes(), read.Bytes()));
    if (const auto problem = ImageLoader::findUnconvertibleValue(*image)) {
        if (error)
            *error = QStringLiteral("Файл «%1» не загружен: значение %2 по смещению %3 (%4) "
                                    "не может быть прочитано. Настройки остались прежними.")
                             .arg(shown(fileName), problem->value)
                             .arg(problem->offset)
                             .arg(problem->meaning);
        return false;
    }
    config.image() = std::move(*image); // not shared: the rules write into it at once
    ImageLoader::fillTables(config, read);
    return true;
}

} // namespace TabFile
