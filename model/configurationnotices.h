#pragma once

#include <QObject>

// What the pages follow instead of each command: the configuration was replaced as a
// whole (opened from a file, factory settings, read from the panel), so every page shows
// it afresh.
class ConfigurationNotices : public QObject
{
    Q_OBJECT

signals:
    void replaced();
};
