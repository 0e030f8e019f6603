#pragma once

#include <model/configuration.h>

#include <QMainWindow>

// The program's one main window; it owns the configuration everything else edits.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);

    Configuration &configuration() { return m_configuration; }

private:
    Configuration m_configuration;
};
