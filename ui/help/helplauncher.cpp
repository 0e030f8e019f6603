#include <ui/help/helplauncher.h>

#include <help/helptopics.h>
#include <ui/help/helpwindow.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

HelpLauncher::HelpLauncher(QWidget *mainWindow, PageOf pageOf)
    : m_mainWindow(mainWindow), m_pageOf(std::move(pageOf))
{
    // F1 reaches a dialog's focus widget, not a shortcut of the main window; and the
    // dialog the window is shown over is seen going.
    qApp->installEventFilter(this);
}

HelpLauncher::~HelpLauncher()
{
    qApp->removeEventFilter(this);
}

HelpWindow *HelpLauncher::window() const
{
    return m_window;
}

void HelpLauncher::openFor(const QWidget *window)
{
    const QString page = m_pageOf ? m_pageOf(window) : QString();
    // Every message, whatever box shows it, is explained in one table.
    const QString name = qobject_cast<const QMessageBox *>(window) ? QStringLiteral("MessageBox") : window->objectName();
    openAt(HelpTopics::sectionFor(name, page));
}

void HelpLauncher::openForActiveWindow()
{
    const QWidget *active = QApplication::activeWindow();
    openFor(active && belongs(active) ? active : m_mainWindow);
}

void HelpLauncher::openAt(const QString &section)
{
    QWidget *modal = QApplication::activeModalWidget();
    QWidget *host = modal && belongs(modal) ? modal : m_mainWindow;
    if (!m_window)
        m_window = new HelpWindow(host);
    moveTo(host);
    m_window->show();
    m_window->openAt(section);
    m_window->raise();
    m_window->activateWindow();
}

bool HelpLauncher::belongs(const QWidget *window) const
{
    for (const QWidget *widget = window; widget; widget = widget->parentWidget()) {
        if (widget == m_mainWindow)
            return true;
    }
    return false;
}

// A window given another parent is hidden and placed anew; it keeps its place on the screen.
void HelpLauncher::moveTo(QWidget *host)
{
    m_dialog = host == m_mainWindow ? nullptr : host;
    if (m_window->parentWidget() == host)
        return;
    const bool shown = m_window->isVisible();
    const QPoint place = m_window->pos();
    const QSize size = m_window->size();
    m_window->setParent(host, m_window->windowFlags());
    m_window->resize(size);
    m_window->move(place);
    if (shown)
        m_window->show();
}

bool HelpLauncher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QWidget *window = static_cast<QWidget *>(watched)->window();
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && belongs(window)) {
            openFor(window);
            return true;
        }
    }
    // Before the dialog goes, and with it its children.
    if (event->type() == QEvent::Hide && watched == m_dialog && m_window) {
        QWidget *modal = QApplication::activeModalWidget();
        moveTo(modal && modal != watched && belongs(modal) ? modal : m_mainWindow);
    }
    return QObject::eventFilter(watched, event);
}
