#include <link/portsettingsstore.h>

#include <messages/messages.h>

#include <QSettings>

#include <algorithm>

namespace {

const QString Group = QStringLiteral("ComPort1");
const QString PortKey = QStringLiteral("Port");
const QString BaudRateKey = QStringLiteral("BaudRate");
const QString CustomBaudRateKey = QStringLiteral("CustomBaudRate");
const QString StopBitsKey = QStringLiteral("StopBits");
const QString DataBitsKey = QStringLiteral("DataBits");
const QString ParityKey = QStringLiteral("Parity");
const QString FlowControlKey = QStringLiteral("FlowControl");

// The offered spelling of a stored text, or `fallback` when it is not offered.
QString offeredText(const QSettings &store, const QString &key, const QStringList &offered,
                    const QString &fallback)
{
    const QString stored = store.value(key).toString();
    const auto found = std::find_if(offered.cbegin(), offered.cend(), [&](const QString &text) {
        return text.compare(stored, Qt::CaseInsensitive) == 0;
    });
    return found != offered.cend() ? *found : fallback;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

PortSettingsStore::PortSettingsStore() = default;

PortSettingsStore::PortSettingsStore(const QString &iniFileName) : m_iniFileName(iniFileName) { }

std::unique_ptr<QSettings> PortSettingsStore::openStore() const
{
    // A fresh QSettings per call: its status then describes this load or store only.
    if (m_iniFileName.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Quorvik"), QStringLiteral("ComPort"));
    return std::make_unique<QSettings>(m_iniFileName, QSettings::IniFormat);
}

bool PortSettingsStore::LoadSettings(PortSettings &settings, QString *error) const
{
    const auto store = openStore();
    if (store->status() != QSettings::NoError) {
        setError(error, message(MessageId::PortSettingsNotLoaded));
        return false;
    }

    store->beginGroup(Group);
    settings.port = store->value(PortKey).toString();
    settings.baudRate = offeredText(*store, BaudRateKey, PortSettings::baudRates(),
                                    QStringLiteral("9600"));
    if (settings.baudRate == QLatin1String("Custom")) {
        // A custom rate cannot be guessed; what was read so far stays.
        bool ok = false;
        const int rate = store->value(CustomBaudRateKey).toInt(&ok);
        if (!ok) {
            setError(error, message(MessageId::PortSettingsNotLoaded));
            return false;
        }
        settings.customBaudRate = rate;
    }
    settings.stopBits = offeredText(*store, StopBitsKey, PortSettings::stopBitsList(),
                                    QStringLiteral("1"));
    settings.dataBits = offeredText(*store, DataBitsKey, PortSettings::dataBitsList(),
                                    QStringLiteral("8"));
    settings.parity = offeredText(*store, ParityKey, PortSettings::parities(),
                                  QStringLiteral("None"));
    settings.setFlowControl(offeredText(*store, FlowControlKey, PortSettings::flowControls(),
                                        QStringLiteral("Custom")));
    store->endGroup();
    return true;
}

bool PortSettingsStore::StoreSettings(const PortSettings &settings, QString *error) const
{
    const auto store = openStore();
    if (store->status() != QSettings::NoError || !store->isWritable()) {
        setError(error, message(MessageId::PortSettingsNotStored));
        return false;
    }

    store->beginGroup(Group);
    store->setValue(PortKey, settings.port);
    store->setValue(BaudRateKey, settings.baudRate);
    if (settings.baudRate == QLatin1String("Custom"))
        store->setValue(CustomBaudRateKey, settings.customBaudRate);
    store->setValue(StopBitsKey, settings.stopBits);
    store->setValue(DataBitsKey, settings.dataBits);
    store->setValue(ParityKey, settings.parity);
    store->setValue(FlowControlKey, settings.flowControl());
    store->endGroup();

    store->sync();
    if (store->status() != QSettings::NoError) {
        setError(error, message(MessageId::PortSettingsNotStored));
        return false;
    }
    return true;
}
