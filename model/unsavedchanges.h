#pragma once

#include <model/systemsettings.h>

#include <QByteArray>
#include <QVariant>
#include <QVector>
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
    // The image and the stored columns of what a file keeps, shared with the
    // configuration until it writes them, so the question costs little while nothing moved.
    struct Content
    {
        QByteArray image;
        QVector<QVector<QVariant>> columns;
        SystemSettings settings;
        bool operator==(const Content &other) const
        {
            return settings == other.settings && image == other.image && columns == other.columns;
        }
    };
    Content content() const;

    Configuration &m_config;
    Content m_kept;
};
