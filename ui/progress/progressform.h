#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The frameless window that shows how far a memory transfer has got.
class TProgressForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 315;
    static constexpr int ClientHeight = 64;

    explicit TProgressForm(QWidget *parent = nullptr);

    QString info() const;
    void setInfo(const QString &text);
    int maximum() const;
    void setMaximum(int maximum);
    int position() const;
    void stepIt();

signals:
    // FormClose: the window is closed, however that came about.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPosition();

    QLabel *m_info;
    QProgressBar *m_bar;
    // The bar repaints at once on every visible change, which would cost a paint and a
    // flush to the screen for every few blocks; it is shown the position a frame at a time.
    int m_position = 0;
    QTimer m_barRefresh;
};
