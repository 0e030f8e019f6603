#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save dialogs of ".tab" files. Their filter texts differ by one space
// before the first bar, and each dialog shows its own exactly.
namespace FileDialogs {

inline const QString OpenFilter = QStringLiteral("Файлы прибора (*.tab) |*.tab|Все файлы (*.*)|*.*");
inline const QString SaveFilter = QStringLiteral("Файлы прибора (*.tab)|*.tab|Все файлы (*.*)|*.*");

struct NameFilter
{
    QString shown; // the text the list shows
    QString patterns; // "*.tab"
};
// "text|patterns|text|patterns" as pairs.
QList<NameFilter> parse(const QString &filter);

// Each dialog opens in `folder` (the one last used) when it is given and exists.

// The chosen file name exactly as the dialog returns it; empty when cancelled. The save
// dialog asks before it replaces an existing file, and adds ".tab" to a name typed
// without an extension, which the open dialog's filter would hide.
QString openFileName(QWidget *parent, const QString &folder = {});
QString saveFileName(QWidget *parent, const QString &folder = {});

// The program's own: where a report goes (HTML or PDF, by the type chosen or the
// extension typed), which folder gets the CSV lists, which CSV file gives zone names.
QString reportFileName(QWidget *parent, const QString &suggested, const QString &folder = {});
QString csvFolder(QWidget *parent, const QString &folder = {});
QString csvFileName(QWidget *parent, const QString &folder = {});

} // namespace FileDialogs
