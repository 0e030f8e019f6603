#include <ui/progress/progresswindow.h>

#include <ui/progress/progressform.h>

#include <QGuiApplication>
#include <QScreen>

ProgressWindow::ProgressWindow(QWidget *mainWindow, StatusText statusText)
    : m_mainWindow(mainWindow), m_statusText(std::move(statusText))
{
}

ProgressWindow::~ProgressWindow()
{
    delete m_form.data(); // the window ends with the transfer it reports on
}

void ProgressWindow::start(const QString &text, int maximum)
{
    show(text, maximum);
    if (m_statusText)
        m_statusText(text);
}

void ProgressWindow::show(const QString &text, int maximum)
{
    if (!m_form) {
        m_form = createForm();
        // Forgotten at once, so a start before the deferred deletion makes a fresh window.
        QObject::connect(m_form, &TProgressForm::closed, m_form, [this] { m_form.clear(); });
        QObject::connect(m_form, &TProgressForm::cancelRequested, m_form, [this] {
            if (m_cancel)
                m_cancel();
        });
    }
    m_form->show();
    m_form->raise();
    m_form->setInfo(text);
    m_form->setMaximum(maximum);
    m_form->startPace();
}

void ProgressWindow::advance()
{
    if (m_form)
        m_form->stepIt();
}

void ProgressWindow::finish()
{
    if (m_form)
        m_form->close();
}

TProgressForm *ProgressWindow::form()
{
    return m_form;
}

const TProgressForm *ProgressWindow::form() const
{
    return m_form;
}

TProgressForm *ProgressWindow::createForm() const
{
    // Parented only for placement and lifetime; it stays a window of its own.
    auto *form = new TProgressForm(m_mainWindow ? m_mainWindow->window() : nullptr);
    form->setAttribute(Qt::WA_DeleteOnClose);
    if (m_clock)
        form->setClock(m_clock);
    QRect over;
    if (m_mainWindow)
        over = m_mainWindow->window()->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        over = screen->availableGeometry();
    if (over.isValid())
        form->move(over.center() - form->rect().center());
    return form;
}
