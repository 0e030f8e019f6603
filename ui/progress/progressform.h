#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The frameless window that shows how far a memory transfer has got.
class TProgressForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 315;
    static constexpr int ClientHeight = 98;
    // Milliseconds from any fixed point; the time left is judged by it.
    using Clock = std::function<qint64()>;

    explicit TProgressForm(QWidget *parent = nullptr);

    QString info() const;
    void setInfo(const QString &text);
    int maximum() const;
    void setMaximum(int maximum);
    int position() const;
    void stepIt();
    // The blocks from here on set the pace the time left is judged by.
    void startPace();
    void setClock(Clock clock);
    QString blockText() const;
    QString timeLeftText() const;

signals:
    // FormClose: the window is closed, however that came about.
    void closed();
    // "Отмена": the user ends the transfer, as Esc does.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPosition();
    qint64 now() const;

    QLabel *m_info;
    QProgressBar *m_bar;
    QLabel *m_block;
    QLabel *m_timeLeft;
    QPushButton *m_cancel;
    Clock m_clock;
    QElapsedTimer m_elapsed;
    qint64 m_paceStart = 0;
    int m_pacePosition = 0;
    qint64 m_timeLeftShownAt = 0;
    // The bar repaints at once on every visible change, which would cost a paint and a
    // flush to the screen for every few blocks; it is shown the position a few times a second.
    int m_position = 0;
    QTimer m_barRefresh;
};
