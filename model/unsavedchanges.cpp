#include <model/unsavedchanges.h>

#include <model/configuration.h>

#include <QCryptographicHash>

UnsavedChanges::UnsavedChanges(Configuration &config, QObject *parent) : QObject(parent), m_config(config)
{
    markKept();
    connect(&m_config.notices(), &ConfigurationNotices::replaced, this, &UnsavedChanges::markKept);
}

void UnsavedChanges::markKept()
{
    m_kept = fingerprint();
    m_keptSettings = m_config.settings();
}

bool UnsavedChanges::exist() const
{
    return m_config.settings() != m_keptSettings || fingerprint() != m_kept;
}

// The image and every row of the tables a file keeps; the copies and the search's list
// of found devices are working lists, not configuration.
QByteArray UnsavedChanges::fingerprint() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(m_config.image().Bytes());
    const MemTable *const tables[] = { &m_config.mtArea(), &m_config.mtDev(), &m_config.mtSensor(),
                                       &m_config.mtReturn(), &m_config.mtEntrance(), &m_config.mtTempType(),
                                       &m_config.mtRepComm(), &m_config.mtRepEnt() };
    for (const MemTable *table : tables) {
        const QVector<FieldDef> &fields = table->fields();
        const int rows = table->rowCount();
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&rows), sizeof rows));
        for (int field = 0; field < fields.size(); ++field) {
            if (!fields.at(field).isData() || fields.at(field).internal)
                continue;
            for (int row = 0; row < rows; ++row) {
                const QVariant value = table->rowValue(row, field);
                // A separator keeps "1","23" apart from "12","3"; empty apart from "".
                const QString text = value.isNull() ? QStringLiteral("\x01") : value.toString();
                hash.addData(QByteArrayView(reinterpret_cast<const char *>(text.constData()),
                                            text.size() * qsizetype(sizeof(QChar))));
                hash.addData(QByteArrayView("\x00", 1));
            }
        }
    }
    return hash.result();
}
