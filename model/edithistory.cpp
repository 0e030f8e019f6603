#include <model/edithistory.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

const QString UnnamedStep = QStringLiteral("Изменение");

bool sameView(const MemTable::Contents &a, const MemTable::Contents &b)
{
    return a.current == b.current && a.filtered == b.filtered && a.filter.text() == b.filter.text();
}

// Few changed cells are kept as cells; beyond this share of the rows, the column whole.
constexpr int CellsPerWholeColumn = 3;

// The runs of bytes that differ, runs closer than a few bytes taken as one.
template<typename Change>
QVector<Change> differences(const QByteArray &before, const QByteArray &after)
{
    QVector<Change> changes;
    if (before.isSharedWith(after) || before.size() != after.size())
        return changes;
    constexpr qsizetype Block = 4096;
    constexpr qsizetype Gap = 8;
    const char *const a = before.constData();
    const char *const b = after.constData();
    const qsizetype size = before.size();
    qsizetype runStart = -1;
    qsizetype runEnd = -1; // one past the last differing byte
    auto closeRun = [&] {
        if (runStart >= 0)
            changes.append({ int(runStart), before.mid(runStart, runEnd - runStart),
                             after.mid(runStart, runEnd - runStart) });
        runStart = -1;
    };
    for (qsizetype block = 0; block < size; block += Block) {
        const qsizetype length = std::min(Block, size - block);
        if (std::memcmp(a + block, b + block, size_t(length)) == 0)
            continue;
        for (qsizetype i = block; i < block + length; ++i) {
            if (a[i] == b[i])
                continue;
            if (runStart >= 0 && i - runEnd > Gap)
                closeRun();
            if (runStart < 0)
                runStart = i;
            runEnd = i + 1;
        }
    }
    closeRun();
    return changes;
}

// A step no action named is called after what it changed.
QString settingsStepName(const SystemSettings &before, const SystemSettings &after)
{
    if (before.edAdminPass != after.edAdminPass || before.edMasterPass != after.edMasterPass)
        return QStringLiteral("Коды доступа");
    if (before.edAddrKLM != after.edAddrKLM)
        return QStringLiteral("Адрес технологического модуля");
    if (before.edInfMessage != after.edInfMessage)
        return QStringLiteral("Информационное сообщение");
    if (before.edTelNum1 != after.edTelNum1 || before.edTelNum2 != after.edTelNum2
        || before.sbTonePulse1 != after.sbTonePulse1 || before.sbTonePulse2 != after.sbTonePulse2)
        return QStringLiteral("Телефонные номера");
    return QStringLiteral("Настройки");
}

} // namespace

EditHistory::EditHistory(Configuration &config, QObject *parent) : QObject(parent), m_config(config)
{
    m_base = current();
    connect(&m_config.notices(), &ConfigurationNotices::replaced, this, &EditHistory::clear);
}

EditHistory::State EditHistory::current() const
{
    State state;
    const auto all = m_config.tables();
    for (int i = 0; i < Configuration::TableCount; ++i)
        state.tables[i] = all[i]->contents();
    state.settings = m_config.settings();
    state.image = m_config.image().Bytes();
    return state;
}

void EditHistory::nameNextStep(const QString &name)
{
    if (m_nextName.isEmpty())
        m_nextName = name;
}

EditHistory::TableChange EditHistory::tableChange(int table, const MemTable::Contents &before,
                                                   const MemTable::Contents &after)
{
    TableChange change { table, before.rowCount, after.rowCount, {}, { before.filter, before.filtered, before.current },
                         { after.filter, after.filtered, after.current } };
    const bool sameRowCount = before.rowCount == after.rowCount;
    for (qsizetype field = 0; field < after.columns.size(); ++field) {
        const QVector<QVariant> &a = before.columns.at(field);
        const QVector<QVariant> &b = after.columns.at(field);
        if (a.isSharedWith(b))
            continue;
        if (sameRowCount && a.size() == b.size()) {
            QVector<int> rows;
            for (qsizetype row = 0; row < a.size(); ++row) {
                if (a.at(row) != b.at(row))
                    rows.append(int(row));
            }
            if (rows.isEmpty())
                continue;
            if (rows.size() * CellsPerWholeColumn <= a.size()) {
                ColumnChange cells { int(field), false, rows, {}, {} };
                cells.before.reserve(rows.size());
                cells.after.reserve(rows.size());
                for (const int row : std::as_const(rows)) {
                    cells.before.append(a.at(row));
                    cells.after.append(b.at(row));
                }
                change.columns.append(std::move(cells));
                continue;
            }
        }
        change.columns.append({ int(field), true, {}, a, b });
    }
    return change;
}

bool EditHistory::commit()
{
    State now = current();
    Step step;
    bool changed = false;
    for (int i = 0; i < Configuration::TableCount; ++i) {
        const MemTable::Contents &before = m_base.tables[i];
        const MemTable::Contents &after = now.tables[i];
        TableChange change = tableChange(i, before, after);
        const bool rowsChanged = !change.columns.isEmpty() || change.rowsBefore != change.rowsAfter;
        changed = changed || rowsChanged;
        if (rowsChanged || !sameView(before, after))
            step.tables.push_back(std::move(change));
    }
    if (!(now.settings == m_base.settings)) {
        changed = true;
        step.settingsChanged = true;
        step.settingsBefore = m_base.settings;
        step.settingsAfter = now.settings;
    }
    step.image = differences<ImageChange>(m_base.image, now.image);
    changed = changed || !step.image.isEmpty();

    m_base = std::move(now);
    // A name given for an action that changed nothing must not name the next one.
    const QString name = std::exchange(m_nextName, QString());
    if (!changed)
        return false;
    step.name = name.isEmpty() ? unnamedStepName(step) : name;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > size_t(MaxSteps))
        m_undo.pop_front();
    m_redo.clear();
    emit this->changed();
    return true;
}

void EditHistory::rebase()
{
    m_base = current();
}

QString EditHistory::unnamedStepName(const Step &step) const
{
    const auto all = m_config.tables();
    bool marksOnly = !step.settingsChanged && step.image.isEmpty() && !step.tables.empty();
    for (const TableChange &change : step.tables) {
        marksOnly = marksOnly && change.rowsBefore == change.rowsAfter;
        for (const ColumnChange &column : change.columns)
            marksOnly = marksOnly && all[change.table]->fields().at(column.field).name == QLatin1String("boolarea");
    }
    if (marksOnly)
        return QStringLiteral("Отметки");
    if (step.settingsChanged)
        return settingsStepName(step.settingsBefore, step.settingsAfter);
    return UnnamedStep;
}

QString EditHistory::searchStepName(int devices)
{
    const int lastTwo = std::abs(devices) % 100;
    const int last = lastTwo % 10;
    const char *word = (lastTwo >= 11 && lastTwo <= 14) ? "устройств"
            : last == 1                                  ? "устройство"
            : (last >= 2 && last <= 4)                   ? "устройства"
                                                         : "устройств";
    return QStringLiteral("Поиск: %1 %2").arg(devices).arg(QString::fromUtf8(word));
}

QString EditHistory::undoName() const
{
    return m_undo.empty() ? QString() : m_undo.back().name;
}

QString EditHistory::redoName() const
{
    return m_redo.empty() ? QString() : m_redo.back().name;
}

bool EditHistory::undo()
{
    commit();
    if (m_undo.empty())
        return false;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    apply(step, Side::Before);
    m_redo.push_back(std::move(step));
    m_base = current();
    emit changed();
    return true;
}

bool EditHistory::redo()
{
    // An edit made after an undo has already forgotten the steps undone.
    if (commit() || m_redo.empty())
        return false;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    apply(step, Side::After);
    m_undo.push_back(std::move(step));
    m_base = current();
    emit changed();
    return true;
}

void EditHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_nextName.clear();
    m_base = current();
    emit changed();
}

void EditHistory::apply(const Step &step, Side side)
{
    const bool before = side == Side::Before;
    const ImageBytes image = m_config.image().Whole();
    for (const ImageChange &change : step.image)
        image.write(change.offset, before ? change.before : change.after);
    const auto all = m_config.tables();
    for (const TableChange &change : step.tables) {
        MemTable &table = *all[change.table];
        MemTable::Contents target = table.contents();
        target.rowCount = before ? change.rowsBefore : change.rowsAfter;
        for (const ColumnChange &column : change.columns) {
            const QVector<QVariant> &values = before ? column.before : column.after;
            if (column.whole) {
                target.columns[column.field] = values;
                continue;
            }
            QVector<QVariant> &cells = target.columns[column.field];
            for (qsizetype i = 0; i < column.rows.size(); ++i)
                cells[column.rows.at(i)] = values.at(i);
        }
        const View &view = before ? change.before : change.after;
        target.filter = view.filter;
        target.filtered = view.filtered;
        target.current = view.current;
        table.restore(target);
    }
    if (step.settingsChanged)
        m_config.setSettings(before ? step.settingsBefore : step.settingsAfter);
}
