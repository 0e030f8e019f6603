#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The arrows of a number box that only they change: the box becomes read-only, and Up
// and Down in it work like the arrows. They ask for a step; what the box shows is up
// to whoever owns the value.
class UpDownButtons : public QWidget
{
    Q_OBJECT

public:
    UpDownButtons(QLineEdit *box, QWidget *parent);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

signals:
    void stepped(int direction); // +1 up, -1 down

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *addArrow(Qt::ArrowType arrow, const QString &name, int direction);

    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};
