#pragma once

#include <QString>

class Configuration;
class StderrNotifier;

// Opens a file as "Открыть файл" does; false, the user told why, unless it loaded whole.
bool loadFile(Configuration &config, const QString &fileName, StderrNotifier &notifier);
