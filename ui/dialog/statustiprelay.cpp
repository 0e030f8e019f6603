#include <ui/dialog/statustiprelay.h>

#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QWidget>

StatusTipRelay::StatusTipRelay(QWidget *dialog) : QObject(dialog), m_dialog(dialog)
{
    dialog->installEventFilter(this);
}

bool StatusTipRelay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dialog && event->type() == QEvent::StatusTip && m_dialog->parentWidget()) {
        QStatusTipEvent tip(static_cast<QStatusTipEvent *>(event)->tip());
        QCoreApplication::sendEvent(m_dialog->parentWidget()->window(), &tip);
    }
    return false;
}
