#pragma once

#include <QHeaderView>

// The column at a grid's left: a small black triangle marks the current row, and a
// numbered indicator shows each row's number (from 1) as well.
class RowIndicator : public QHeaderView
{
    Q_OBJECT

public:
    static constexpr int PlainWidth = 12;

    explicit RowIndicator(bool numbered, QWidget *parent = nullptr);

    bool isNumbered() const { return m_numbered; }
    QSize sizeHint() const override;

signals:
    // After a mouse button went down or up on a row: the grid's current row may have moved.
    void mouseButtonHandled();

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void paintMarker(QPainter &painter, const QRect &rect) const;

    bool m_numbered;
};
