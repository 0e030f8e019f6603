#include <ui/grid/datagrid.h>

#include <ui/grid/bandedheader.h>
#include <ui/grid/gridcelldelegate.h>
#include <ui/grid/lookupdelegate.h>
#include <ui/grid/markdelegate.h>
#include <ui/grid/picturedelegate.h>
#include <ui/grid/rowindicator.h>

#include <model/currentrowlink.h>
#include <model/memtable.h>
#include <model/memtablemodel.h>

#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>

#include <map>

namespace {

constexpr int RowPadding = 4;
constexpr int NumberCharacters = 10;
constexpr int NaturalPadding = 8;

// The band of the first column shown, or the whole title of a single-level grid.
QString gridName(const GridSpec &grid)
{
    for (const ColumnSpec &column : grid.columns) {
        if (!column.options.testFlag(ColumnSpec::Hidden))
            return column.title.section(QLatin1Char('|'), 0, 0).trimmed();
    }
    return grid.name;
}

int naturalWidth(const FieldDef &field, const QString &title, const QFontMetrics &metrics)
{
    const int characters = field.type == FieldType::String ? field.size : NumberCharacters;
    const int values = characters * metrics.averageCharWidth();
    const int caption = metrics.horizontalAdvance(title.section(QLatin1Char('|'), -1).trimmed());
    return qMax(values, caption) + NaturalPadding;
}

QString pictureList(ColumnSpec::Icons icons)
{
    switch (icons) {
    case ColumnSpec::Icons::Title:
        return QStringLiteral("title");
    case ColumnSpec::Icons::ModuleType:
        return QStringLiteral("module");
    case ColumnSpec::Icons::DeviceType:
        return QStringLiteral("device");
    case ColumnSpec::Icons::None:
        break;
    }
    return {};
}

} // namespace

DataGrid::DataGrid(const GridSpec &grid, MemTable &table, QWidget *parent)
    : QTableView(parent),
      m_grid(grid),
      m_table(table),
      m_model(new MemTableModel(&table, grid.columns, this)),
      m_header(new BandedHeader(this))
{
    setObjectName(grid.name);
    setAccessibleName(gridName(grid));
    setHorizontalHeader(m_header);
    m_header->setSectionsMovable(grid.movableColumns);
    setUpIndicator();
    setModel(m_model);

    setSortingEnabled(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    if (grid.wholeRows) {
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setEditTriggers(QAbstractItemView::NoEditTriggers); // marks answer clicks without an editor
    } else {
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                        | QAbstractItemView::AnyKeyPressed);
    }
    setUpColumns();
    fitToFont();

    new CurrentRowLink(table, *selectionModel(),
                       grid.wholeRows ? CurrentRowLink::Selection::Row : CurrentRowLink::Selection::Cell, this);
}

void DataGrid::setUpIndicator()
{
    if (m_grid.indicator == GridSpec::Indicator::None) {
        verticalHeader()->hide();
        return;
    }
    auto *indicator = new RowIndicator(m_grid.indicator == GridSpec::Indicator::Numbered, this);
    setVerticalHeader(indicator);
    // The view selects a row from its header only when it selects rows; a click on the
    // indicator moves to its row in every grid.
    connect(indicator, &QHeaderView::sectionPressed, this, [this](int row) {
        setCurrentIndex(model()->index(row, qMax(0, currentIndex().column())));
    });
    connect(indicator, &RowIndicator::mouseButtonHandled, this, &DataGrid::followed);
}

void DataGrid::setUpColumns()
{
    setItemDelegate(new GridCellDelegate(this));
    LookupDelegate *lookups = nullptr;
    MarkDelegate *marks = nullptr;
    std::map<ColumnSpec::Icons, PictureDelegate *> pictures;
    for (int section = 0; section < m_grid.columns.size(); ++section) {
        const ColumnSpec &column = m_grid.columns.at(section);
        if (column.options.testFlag(ColumnSpec::Hidden)) {
            setColumnHidden(section, true);
            continue;
        }
        if (column.width != ColumnSpec::NaturalWidth)
            setColumnWidth(section, column.width);
        if (column.titleIcon >= 0)
            m_header->setTitleIcon(section, column.titleIcon);
        if (column.options.testFlag(ColumnSpec::Mark)) {
            m_header->setTitleButton(section, true);
            if (!marks)
                marks = new MarkDelegate(this);
            setItemDelegateForColumn(section, marks);
        } else if (column.options.testFlag(ColumnSpec::Icon) && column.icons != ColumnSpec::Icons::None) {
            PictureDelegate *&delegate = pictures[column.icons];
            if (!delegate)
                delegate = new PictureDelegate(pictureList(column.icons), this);
            setItemDelegateForColumn(section, delegate);
        } else if (column.options.testFlag(ColumnSpec::Lookup)) {
            if (!lookups)
                lookups = new LookupDelegate(this);
            setItemDelegateForColumn(section, lookups);
        }
    }
}

void DataGrid::fitToFont()
{
    const QFontMetrics metrics(font());
    const int rowHeight = metrics.height() + RowPadding;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int section = 0; section < m_grid.columns.size(); ++section) {
        const ColumnSpec &column = m_grid.columns.at(section);
        if (column.width == ColumnSpec::NaturalWidth && !column.options.testFlag(ColumnSpec::Hidden)
            && column.field >= 0 && column.field < m_table.fields().size())
            setColumnWidth(section, naturalWidth(m_table.fields().at(column.field), column.title, metrics));
    }
}

bool DataGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!index.isValid())
        return QTableView::edit(index, trigger, event);
    const ColumnSpec::Options options = m_model->columnSpec(index.column()).options;
    if (!m_grid.wholeRows && trigger == DoubleClicked && options.testFlag(ColumnSpec::DoubleClickSteps))
        return m_model->stepToNextChoice(index);
    if (options.testFlag(ColumnSpec::NoTyping)) {
        // Only a drop-down may open; typing opens nothing anywhere.
        const bool dropDown = options.testFlag(ColumnSpec::Lookup) && index.data(MemTableModel::ChoicesRole).isValid();
        if (trigger == AnyKeyPressed || (!dropDown && trigger != NoEditTriggers))
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    QTableView::keyPressEvent(event);
    emit followed();
}

void DataGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTableView::keyReleaseEvent(event);
    emit followed();
}

void DataGrid::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    emit followed();
}

void DataGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    emit followed();
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit followed();
}

void DataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToFont();
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // The current column of a grid of whole rows is shown nowhere: following a new row
    // must not take the grid back to it.
    const bool rowOnly = m_grid.wholeRows && current.isValid()
            && (!previous.isValid() || previous.column() == current.column());
    const int across = horizontalScrollBar()->value();
    QTableView::currentChanged(current, previous);
    if (rowOnly)
        horizontalScrollBar()->setValue(across);
}

void DataGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    keepFirstColumnWhole();
    if (dx != 0)
        m_header->viewport()->update(); // a band cut at an edge centres its text anew
}

void DataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    keepFirstColumnWhole();
}

// At the end of its range the view lines the last column up with the right edge: the
// first column shown is then cut, and its text, which starts at its left, is out of sight.
void DataGrid::keepFirstColumnWhole()
{
    const QScrollBar *bar = horizontalScrollBar();
    if (horizontalScrollMode() != ScrollPerItem || bar->maximum() == 0 || bar->value() != bar->maximum())
        return;
    const int before = m_header->offset();
    m_header->setOffsetToSectionPosition(bar->value());
    if (m_header->offset() == before)
        return;
    viewport()->update();
    m_header->viewport()->update();
    updateEditorGeometries();
}
