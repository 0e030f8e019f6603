#pragma once

#include <exchange/transferprogress.h>
#include <ui/progress/progressform.h>

#include <QPointer>

#include <functional>

class QWidget;

// The progress window as a transfer drives it: one window at a time, made when a
// transfer starts and none is shown, forgotten when it closes.
class ProgressWindow : public TransferProgress
{
public:
    using StatusText = std::function<void(const QString &)>;
    using Cancel = std::function<void()>;

    // The window is centred over `mainWindow` (the screen when none is given) and
    // `statusText` receives the text for the main window's status bar, as it stands.
    explicit ProgressWindow(QWidget *mainWindow = nullptr, StatusText statusText = {});
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    // What the window's "Отмена" does.
    void setCancel(Cancel cancel) { m_cancel = std::move(cancel); }
    // The time left is judged by `clock` rather than the system's, in the windows made from now on.
    void setClock(TProgressForm::Clock clock) { m_clock = std::move(clock); }

    void start(const QString &text, int maximum) override;
    void advance() override;
    void finish() override;

    // The window now shown, or nullptr when none exists.
    TProgressForm *form();
    const TProgressForm *form() const;

private:
    TProgressForm *createForm() const;
    void show(const QString &text, int maximum);

    QPointer<QWidget> m_mainWindow;
    StatusText m_statusText;
    Cancel m_cancel;
    TProgressForm::Clock m_clock;
    QPointer<TProgressForm> m_form; // empty exactly while no progress window exists
};
