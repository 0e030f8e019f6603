#pragma once

#include <model/systemsettings.h>

#include <QByteArray>
#include <QObject>

class Configuration;

// Whether the configuration holds anything it did not hold when it was last opened,
// saved, read from the panel or written to it. Content is compared, not edits counted,
// so an edit undone by hand leaves nothing unsaved and a filter changes nothing.
class UnsavedChanges : public QObject
{
public:
    // What the configuration holds now counts as kept; so does every configuration that
    // later replaces it (an open, the factory settings, a read).
    explicit UnsavedChanges(Configuration &config, QObject *parent = nullptr);

    // After a save or a write: what the configuration holds now is kept.
    void markKept();
    bool exist() const;

private:
    QByteArray fingerprint() const;

    Configuration &m_config;
    QByteArray m_kept;
    SystemSettings m_keptSettings;
};
