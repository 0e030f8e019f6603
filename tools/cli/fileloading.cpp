#include "fileloading.h"

#include "stderrnotifier.h"

#include <storage/filecommands.h>

bool loadFile(Configuration &config, const QString &fileName, StderrNotifier &notifier)
{
    return FileCommands(config, notifier).openFile(fileName) && !notifier.warned();
}
