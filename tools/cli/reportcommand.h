#pragma once

#include <QString>

class StderrNotifier;

// The handover report of a file, as HTML or PDF by the output's extension: 0 written,
// 2 failed.
int writeReport(const QString &inFile, const QString &outFile, StderrNotifier &notifier);
