#pragma once

#include <QJsonObject>

class Configuration;

// The configuration as plain data, for scripts and for comparing files outside the
// program: every row of the configuration tables and every single setting.
QJsonObject configurationToJson(Configuration &config);
