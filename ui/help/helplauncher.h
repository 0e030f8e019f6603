#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class HelpWindow;
class QWidget;

// The one help window of a main window, made when first asked for and kept. F1 in any of
// the main window's windows opens it at that window's section. Over a modal dialog it
// becomes the dialog's own window, so that the dialog does not block it, and goes back
// to the main window when the dialog closes.
class HelpLauncher : public QObject
{
    Q_OBJECT

public:
    // The object name of the page a window shows, for the windows that have pages.
    using PageOf = std::function<QString(const QWidget *window)>;

    explicit HelpLauncher(QWidget *mainWindow, PageOf pageOf = {});
    ~HelpLauncher() override;
    HelpLauncher(const HelpLauncher &) = delete;
    HelpLauncher &operator=(const HelpLauncher &) = delete;

    // Opens the manual at the section about `window` (and its page).
    void openFor(const QWidget *window);
    // At the section about the window in front: a tool window such as the progress
    // window lets the main window's keys through.
    void openForActiveWindow();
    void openAt(const QString &section);

    // The help window, or nullptr when none is made yet.
    HelpWindow *window() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool belongs(const QWidget *window) const;
    void moveTo(QWidget *host);

    QWidget *m_mainWindow;
    PageOf m_pageOf;
    QPointer<HelpWindow> m_window;
    QPointer<QWidget> m_dialog; // the modal dialog the window is shown over
};
