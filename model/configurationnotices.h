#pragma once

#include <QObject>

// What the pages follow instead of each command: the configuration was replaced as a
// whole (opened from a file, factory settings, read from the panel), so every page shows
// it afresh; or a setting changed, by the user or by a rule, so its control shows it.
class ConfigurationNotices : public QObject
{
    Q_OBJECT

signals:
    void replaced();
    void settingsChanged();
};
