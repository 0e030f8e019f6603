#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class Configuration;
class SettingsImage;

// ".tab" files: the settings image byte for byte, nothing before or after it.
namespace TabFile {

// Writes the image, replacing the file only once every byte is on disk, so a failed
// save leaves an existing file as it was. On failure `error` says why.
bool RecordArrayToFile(const SettingsImage &image, const QString &fileName, QString *error);

// Reads a whole image; a file that cannot be read or is shorter than an image gives
// nothing and the reason. Bytes past the image are ignored.
std::optional<QByteArray> readImage(const QString &fileName, QString *error);

// Loads `fileName` into the image and fills the zone, module, detector and output
// tables from it. All or nothing: a file that cannot be read, is too short or holds a
// value the settings cannot show changes nothing, and `error` says why.
bool RecordFileToArray(Configuration &config, const QString &fileName, QString *error);

// What RecordFileToArray does once the file is read, for an image that is already in
// memory: the same merge into the settings image, the same refusal. `fileName` only names
// the source in the message.
bool RecordImageToArray(Configuration &config, const SettingsImage &read, const QString &fileName,
                        QString *error);

} // namespace TabFile
