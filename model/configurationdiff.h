#pragma once

#include <QStringList>

class Configuration;

// How `after` differs from `before`, one line per changed field, added or removed row and
// changed setting, in the words an installer reads; rows are matched by what they are
// (zone, module, address ...), not by position. Empty only when the tables, the settings
// and the settings images are all the same.
QStringList describeDifferences(Configuration &before, Configuration &after);
