#pragma once

#include <report/reportcontent.h>

#include <QByteArray>
#include <QDateTime>
#include <QString>

class Configuration;

// Where the configuration comes from, as the report names it.
struct ReportSource
{
    QString fileName; // the file, or what the installer knows it by
    QByteArray image; // as a write would send it: its SHA-256 identifies the configuration
    QDateTime madeAt;
    bool unsaved = false; // edits since the file was opened or saved, which it does not hold
};

// The record of a configuration handed over with the panel: settings, modules, zones with
// their devices and outputs, the devices in no zone, inputs, profiles, notification codes
// and what the check before writing finds. Access codes show only their length.
ReportContent handoverReport(const Configuration &config, const ReportSource &source);

// A telephone number's raw form as the panel dials it: digits, pauses, waits for the
// dialling tone, and the dialling mode.
QString dialledNumber(const QString &raw);
// An access code hidden but for its length.
QString maskedCode(const QString &code);
