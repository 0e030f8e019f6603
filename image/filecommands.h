#pragma once

#include <QString>

class Configuration;
class Notifier;

// "Открыть файл", "Записать файл" and "Заводские настройки", less their dialogs: the
// window asks for the file name and calls these with it.
class FileCommands
{
public:
    FileCommands(Configuration &config, Notifier &notifier);

    // Loads a configuration. On failure the user is told why and nothing changes.
    bool openFile(const QString &fileName);

    // Brings the image up to date; runs before the save dialog, also when it is cancelled.
    void buildImage();
    // Writes the image built by buildImage().
    bool saveFile(const QString &fileName);

    bool restoreFactorySettings(const QString &applicationDir);
    static QString factoryFilePath(const QString &applicationDir);

private:
    Configuration &m_config;
    Notifier &m_notifier;
};
