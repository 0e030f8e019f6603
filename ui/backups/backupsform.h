#pragma once

#include <QDialog>

class BackupStore;
class QTableWidget;

// The copies kept of what was read from panels and written to them, newest first; the
// one chosen is opened like any file.
class TBackupsForm : public QDialog
{
    Q_OBJECT

public:
    explicit TBackupsForm(const BackupStore &backups, QWidget *parent = nullptr);

    // The copy chosen, once the dialog was accepted; empty otherwise.
    QString chosenFile() const;

private:
    QTableWidget *m_list;
};
