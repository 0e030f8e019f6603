#pragma once

#include <QString>

#include <functional>

class Configuration;
class Notifier;
class SettingsImage;

// "Открыть файл", "Записать файл" and "Заводские настройки", less their dialogs: the
// window asks for the file name and calls these with it.
class FileCommands
{
public:
    FileCommands(Configuration &config, Notifier &notifier);

    // Loads a configuration. On failure the user is told why and nothing changes.
    bool openFile(const QString &fileName);
    // The same for an image already in memory, as though read from a file called `name`.
    bool openImage(const SettingsImage &image, const QString &name);

    // Brings the image up to date; runs before the save dialog, also when it is cancelled.
    void buildImage();
    // Writes the image built by buildImage().
    bool saveFile(const QString &fileName);

    bool restoreFactorySettings(const QString &applicationDir);
    static QString factoryFilePath(const QString &applicationDir);

private:
    // `load` brings the image into the tables, or says why not and changes nothing.
    bool open(const std::function<bool(QString *error)> &load);

    Configuration &m_config;
    Notifier &m_notifier;
};
