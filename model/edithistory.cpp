#include <model/edithistory.h>

#include <model/configuration.h>

#include <cstring>
#include <utility>

namespace {

const QString UnnamedStep = QStringLiteral("Изменение");

bool sameView(const MemTable::Contents &a, const MemTable::Contents &b)
{
    return a.current == b.current && a.filtered == b.filtered && a.filter.text() == b.filter.text();
}

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

} // namespace

EditHistory::EditHistory(Configuration &config, QObject *parent) : QObject(parent), m_config(config)
{
    m_base = current();
    connect(&m_config.notices(), &ConfigurationNotices::replaced, this, &EditHistory::clear);
}

std::array<MemTable *, EditHistory::TableCount> EditHistory::tables() const
{
    Configuration &c = m_config;
    return { &c.mtArea(),     &c.mtAreaCopy(),  &c.mtDev(),      &c.mtSensor(),
             &c.mtSensorCopy(), &c.mtReturn(), &c.mtReturnCopy(), &c.mtEntrance(),
             &c.mtSensorNew(), &c.mtTempType(), &c.mtRepComm(),  &c.mtRepEnt() };
}

EditHistory::State EditHistory::current() const
{
    State state;
    const auto all = tables();
    for (int i = 0; i < TableCount; ++i)
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

bool EditHistory::commit()
{
    State now = current();
    Step step;
    bool changed = false;
    for (int i = 0; i < TableCount; ++i) {
        const MemTable::Contents &before = m_base.tables[i];
        const MemTable::Contents &after = now.tables[i];
        const bool sameRows = after.sameRowsAs(before);
        changed = changed || !sameRows;
        if (!sameRows || !sameView(before, after))
            step.tables.push_back({ i, before, after });
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
    step.name = name.isEmpty() ? UnnamedStep : name;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > size_t(MaxSteps))
        m_undo.pop_front();
    m_redo.clear();
    emit this->changed();
    return true;
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
    const auto all = tables();
    for (const TableChange &change : step.tables)
        all[change.table]->restore(before ? change.before : change.after);
    if (step.settingsChanged)
        m_config.setSettings(before ? step.settingsBefore : step.settingsAfter);
}
