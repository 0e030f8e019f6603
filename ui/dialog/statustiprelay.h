#pragma once

#include <QObject>

class QWidget;

// A dialog is a window of its own, so the status tips of its controls stop at it; this
// passes them on to the window that opened it, whose status bar shows them.
class StatusTipRelay : public QObject
{
    Q_OBJECT

public:
    // Watches `dialog` for as long as it lives.
    explicit StatusTipRelay(QWidget *dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_dialog;
};
