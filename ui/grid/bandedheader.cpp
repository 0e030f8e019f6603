#include <ui/grid/bandedheader.h>

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

#include <utility>

namespace {

constexpr int LevelPadding = 4;
constexpr int TextMargin = 1; // titles are set in narrow columns
constexpr int MostWrappedLines = 3;

} // namespace

BandedHeader::BandedHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    // A band spans several sections: a change to one moves the texts over its neighbours.
    connect(this, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
    connect(this, &QHeaderView::sectionCountChanged, viewport(), qOverload<>(&QWidget::update));
}

void BandedHeader::setTitleIcon(int column, int icon)
{
    if (titleIcon(column) == icon)
        return;
    if (icon < 0)
        m_icons.remove(column);
    else
        m_icons.insert(column, icon);
    viewport()->update();
}

void BandedHeader::setTitleButton(int column, bool button)
{
    if (button)
        m_buttons.insert(column);
    else
        m_buttons.remove(column);
}

int BandedHeader::levelHeight() const
{
    return fontMetrics().height() + LevelPadding;
}

// The lines `text` takes wrapped at word boundaries in `width`; one when it fits.
int BandedHeader::wrappedLines(const QString &text, int width) const
{
    const QFontMetrics metrics = fontMetrics();
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= width)
        return 1;
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, metrics.height() * MostWrappedLines * 2),
                                               Qt::TextWordWrap, text);
    return qBound(1, (wrapped.height() + metrics.height() - 1) / metrics.height(), MostWrappedLines);
}

int BandedHeader::levels() const
{
    const QVector<TitleColumn> columns = titleColumns();
    const int height = levelHeight();
    int levels = titleLevels(columns);
    for (const TitleCell &cell : titleCells(columns, height)) {
        const int level = cell.rect.y() / height;
        const int bottom = (cell.rect.y() + cell.rect.height()) / height;
        if (bottom == levels) // a lowest cell: it may grow downwards
            levels = std::max(levels, level + wrappedLines(cell.text, cell.rect.width() - 2 * TextMargin));
    }
    return levels;
}

QSize BandedHeader::sizeHint() const
{
    return { QHeaderView::sizeHint().width(), levels() * levelHeight() };
}

QVector<TitleColumn> BandedHeader::titleColumns() const
{
    QVector<TitleColumn> columns;
    if (!model())
        return columns;
    columns.reserve(count());
    for (int visual = 0; visual < count(); ++visual) {
        const int column = logicalIndex(visual);
        columns.append({ column, model()->headerData(column, Qt::Horizontal).toString(), sectionSize(column),
                         titleIcon(column), isSectionHidden(column) });
    }
    return columns;
}

void BandedHeader::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().button());
    for (const TitleCell &cell : cells()) {
        const QRect rect = cell.rect.translated(-offset(), 0);
        if (rect.intersects(event->rect()))
            paintCell(painter, cell, rect);
    }
}

void BandedHeader::paintCell(QPainter &painter, const TitleCell &cell, const QRect &rect) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = qMax(0, cell.column);
    option.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, this);

    // A band or a title cut off at an edge keeps its text in the part in sight.
    const QRect shown = rect.intersected(viewport()->rect());
    if (cell.icon >= 0) {
        const QPixmap picture = m_pictures.picture(cell.icon, devicePixelRatioF());
        if (!picture.isNull()) {
            QRect place(QPoint(), QSize(PictureList::Side, PictureList::Side));
            place.moveCenter(shown.center());
            painter.drawPixmap(place, picture);
        }
        return;
    }
    const QRect textRect = shown.adjusted(TextMargin, 0, -TextMargin, 0);
    painter.setPen(palette().color(QPalette::ButtonText));
    const int lines = wrappedLines(cell.text, textRect.width());
    if (lines > 1 && textRect.height() >= lines * fontMetrics().height())
        painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, cell.text);
    else
        painter.drawText(textRect, Qt::AlignCenter,
                         fontMetrics().elidedText(cell.text, Qt::ElideRight, textRect.width()));
}

int BandedHeader::buttonAt(const QPoint &position) const
{
    const QPoint at = position + QPoint(offset(), 0);
    for (const TitleCell &cell : cells()) {
        if (cell.column >= 0 && isTitleButton(cell.column) && cell.rect.contains(at))
            return cell.column;
    }
    return -1;
}

void BandedHeader::mousePressEvent(QMouseEvent *event)
{
    QHeaderView::mousePressEvent(event);
    m_pressedButton = event->button() == Qt::LeftButton ? buttonAt(event->position().toPoint()) : -1;
    if (m_pressedButton >= 0) {
        m_pressedWidth = sectionSize(m_pressedButton);
        m_pressedAt = event->position().toPoint();
        m_dragged = false;
    }
}

void BandedHeader::mouseMoveEvent(QMouseEvent *event)
{
    QHeaderView::mouseMoveEvent(event);
    if (m_pressedButton >= 0
        && (event->position().toPoint() - m_pressedAt).manhattanLength() >= QApplication::startDragDistance())
        m_dragged = true;
}

void BandedHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    const int pressed = std::exchange(m_pressedButton, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 && !m_dragged
        && buttonAt(event->position().toPoint()) == pressed && sectionSize(pressed) == m_pressedWidth)
        emit titleButtonClicked(pressed);
}

// A column's hint shows over its own lowest title cell, not over a band it shares. A column
// without one is named there: its title may be a picture, or cut by a narrow column.
bool BandedHeader::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !model())
        return QHeaderView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QPoint at = help->pos() + QPoint(offset(), 0);
    for (const TitleCell &cell : cells()) {
        if (cell.column < 0 || !cell.rect.contains(at))
            continue;
        QString hint = model()->headerData(cell.column, Qt::Horizontal, Qt::ToolTipRole).toString();
        if (hint.isEmpty())
            hint = titleCaption(model()->headerData(cell.column, Qt::Horizontal).toString());
        if (!hint.isEmpty()) {
            QToolTip::showText(help->globalPos(), hint, this, cell.rect.translated(-offset(), 0));
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
