#include <model/unsavedchanges.h>

#include <model/configuration.h>

UnsavedChanges::UnsavedChanges(Configuration &config, QObject *parent) : QObject(parent), m_config(config)
{
    markKept();
    connect(&m_config.notices(), &ConfigurationNotices::replaced, this, &UnsavedChanges::markKept);
}

void UnsavedChanges::markKept()
{
    m_kept = content();
}

bool UnsavedChanges::exist() const
{
    return !(content() == m_kept);
}

namespace {

// Marks only pick rows for the move buttons; no file keeps them.
bool isMark(const FieldDef &field)
{
    return field.name == QLatin1String("boolarea");
}

} // namespace

// The copies and the search's list of found devices are working lists, not
// configuration, and neither are a table's marks and other internal fields.
UnsavedChanges::Content UnsavedChanges::content() const
{
    Content content { m_config.image().Bytes(), {}, m_config.settings() };
    const MemTable *const tables[] = { &m_config.mtArea(), &m_config.mtDev(), &m_config.mtSensor(),
                                       &m_config.mtReturn(), &m_config.mtEntrance(), &m_config.mtTempType(),
                                       &m_config.mtRepComm(), &m_config.mtRepEnt() };
    for (const MemTable *table : tables) {
        const QVector<FieldDef> &fields = table->fields();
        for (int field = 0; field < fields.size(); ++field) {
            if (fields.at(field).isData() && !fields.at(field).internal && !isMark(fields.at(field)))
                content.columns.append(table->storedColumn(field));
        }
    }
    return content;
}
