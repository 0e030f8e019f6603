#pragma once

#include <QProcess>
#include <QStringList>

// mirvane-cli run to its end with `arguments`, and what it said.
struct CliRun
{
    int exitCode = -1; // also when the program did not start or crashed
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(MIRVANE_CLI), arguments);
    CliRun run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
