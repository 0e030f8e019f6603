#ifndef MIRVANE_UI_MAINFORM_H
#define MIRVANE_UI_MAINFORM_H

#include <QMainWindow>

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);
};

#endif // MIRVANE_UI_MAINFORM_H
