#pragma once

#include <model/configuration.h>

#include <QVariantList>

// Everything a configuration holds, in one comparable value: the image, every data
// field of every row of the edited tables, and the settings.
struct ConfigurationSnapshot
{
    QByteArray image;
    QList<QVariantList> tables;
    SystemSettings settings;

    bool operator==(const ConfigurationSnapshot &other) const
    {
        return image == other.image && tables == other.tables && settings == other.settings;
    }

    static QVariantList rowsOf(const MemTable &table)
    {
        QVariantList rows;
        for (int row = 0; row < table.rowCount(); ++row) {
            QVariantList values;
            for (int field = 0; field < table.fields().size(); ++field) {
                if (table.fields().at(field).isData())
                    values << table.rowValue(row, field);
            }
            rows << QVariant(values);
        }
        return rows;
    }

    static ConfigurationSnapshot of(Configuration &config)
    {
        ConfigurationSnapshot snapshot;
        snapshot.image = config.image().Bytes();
        for (const MemTable *table :
             { &config.mtArea(), &config.mtAreaCopy(), &config.mtDev(), &config.mtSensor(),
               &config.mtReturn(), &config.mtEntrance(), &config.mtTempType(), &config.mtRepComm(),
               &config.mtRepEnt() })
            snapshot.tables << rowsOf(*table);
        snapshot.settings = config.settings();
        return snapshot;
    }
};
