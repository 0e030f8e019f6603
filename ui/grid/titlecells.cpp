#include <ui/grid/titlecells.h>

#include <QStringList>

#include <algorithm>

namespace {

constexpr int SharedLevels = 2; // the band and the cell under it

struct PlacedTitle
{
    int column;
    QStringList parts;
    int x;
    int width;
    int icon;

    int lowest() const { return int(parts.size()) - 1; }
    // A lowest cell with a picture stands for its column alone.
    bool mayShare(int level) const
    {
        return level < SharedLevels && parts.size() > 1 && !(level == lowest() && icon >= 0);
    }
};

QStringList titleParts(const QString &title)
{
    QStringList parts = title.split(QLatin1Char('|'));
    for (QString &part : parts)
        part = part.trimmed();
    return parts;
}

QVector<PlacedTitle> placed(const QVector<TitleColumn> &columns)
{
    QVector<PlacedTitle> titles;
    int x = 0;
    for (const TitleColumn &column : columns) {
        if (column.hidden)
            continue;
        titles.append({ column.column, titleParts(column.title), x, column.width, column.icon });
        x += column.width;
    }
    return titles;
}

bool shareCell(const PlacedTitle &left, const PlacedTitle &right, int level)
{
    if (!left.mayShare(level) || !right.mayShare(level) || right.lowest() < level)
        return false;
    if ((left.lowest() == level) != (right.lowest() == level))
        return false;
    return std::equal(left.parts.cbegin(), left.parts.cbegin() + level + 1, right.parts.cbegin());
}

} // namespace

int titleLevels(const QVector<TitleColumn> &columns)
{
    int levels = 1;
    for (const TitleColumn &column : columns) {
        if (!column.hidden)
            levels = std::max(levels, int(column.title.count(QLatin1Char('|'))) + 1);
    }
    return levels;
}

QVector<TitleCell> titleCells(const QVector<TitleColumn> &columns, int levelHeight, int atLeast)
{
    const QVector<PlacedTitle> titles = placed(columns);
    const int deepest = titleLevels(columns);
    const int levels = std::max(deepest, atLeast);
    QVector<TitleCell> cells;
    for (int level = 0; level < deepest; ++level) {
        for (int first = 0; first < titles.size();) {
            const PlacedTitle &title = titles.at(first);
            if (title.lowest() < level) {
                ++first;
                continue;
            }
            int end = first + 1;
            while (end < titles.size() && shareCell(title, titles.at(end), level))
                ++end;
            const PlacedTitle &last = titles.at(end - 1);
            const bool lowest = level == title.lowest();
            const bool alone = end == first + 1;
            TitleCell cell;
            cell.rect = QRect(title.x, level * levelHeight, last.x + last.width - title.x,
                              (lowest ? levels - level : 1) * levelHeight);
            if (lowest && title.icon >= 0)
                cell.icon = title.icon;
            else
                cell.text = title.parts.at(level);
            if (lowest && alone)
                cell.column = title.column;
            cells.append(cell);
            first = end;
        }
    }
    return cells;
}

QString titleCaption(const QString &title)
{
    const QStringList parts = titleParts(title);
    const auto named =
            std::find_if(parts.crbegin(), parts.crend(), [](const QString &part) { return !part.isEmpty(); });
    return named == parts.crend() ? QString() : *named;
}
