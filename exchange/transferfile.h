#pragma once

#include <QString>

// Where the memory transfers keep "temp.tab". A program started from a menu or a file
// manager may work in a folder the user cannot write to, and every transfer would fail
// there; the file then goes to the user's data folder, beside the backups.
namespace TransferFile {

// The user's data folder for the program.
QString defaultDataFolder();

// "temp.tab" in `currentFolder` when a file can be made there, else in `dataFolder`, which
// is made if need be.
QString location(const QString &currentFolder, const QString &dataFolder = defaultDataFolder());

} // namespace TransferFile
