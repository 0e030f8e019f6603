#include <ui/grid/rowindicator.h>

#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

namespace {

constexpr int MarkerWidth = 4;
constexpr int MarkerHeight = 7;
constexpr int MarkerSpace = 10; // the marker and the space around it, before a number
constexpr int NumberMargin = 3;

} // namespace

RowIndicator::RowIndicator(bool numbered, QWidget *parent) : QHeaderView(Qt::Vertical, parent), m_numbered(numbered)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setSectionsClickable(true); // a click moves to the row
    setHighlightSections(false);
}

QSize RowIndicator::sizeHint() const
{
    if (!m_numbered)
        return { PlainWidth, 0 };
    const int largest = qMax(1, count());
    return { MarkerSpace + fontMetrics().horizontalAdvance(QString::number(largest)) + NumberMargin, 0 };
}

void RowIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    if (m_numbered) {
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(rect.adjusted(MarkerSpace, 0, -NumberMargin, 0), Qt::AlignRight | Qt::AlignVCenter,
                          QString::number(logicalIndex + 1));
    }
    if (selectionModel() && selectionModel()->currentIndex().row() == logicalIndex)
        paintMarker(*painter, m_numbered ? QRect(rect.topLeft(), QSize(MarkerSpace, rect.height())) : rect);
}

void RowIndicator::paintMarker(QPainter &painter, const QRect &rect) const
{
    // A triangle pointing at the row, centred in the room given; whole pixels, so it stays sharp.
    const int left = rect.left() + (rect.width() - MarkerWidth) / 2;
    const int top = rect.top() + (rect.height() - MarkerHeight) / 2;
    const QPolygon triangle { QPoint(left, top), QPoint(left + MarkerWidth - 1, top + MarkerHeight / 2),
                              QPoint(left, top + MarkerHeight - 1) };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.drawPolygon(triangle);
    painter.restore();
}

void RowIndicator::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QHeaderView::currentChanged(current, previous);
    for (const QModelIndex &index : { current, previous }) {
        if (index.isValid())
            viewport()->update(0, sectionViewportPosition(index.row()), viewport()->width(), sectionSize(index.row()));
    }
}

void RowIndicator::mousePressEvent(QMouseEvent *event)
{
    QHeaderView::mousePressEvent(event);
    emit mouseButtonHandled();
}

void RowIndicator::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    emit mouseButtonHandled();
}
