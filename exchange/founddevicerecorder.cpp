#include <exchange/founddevicerecorder.h>

#include <exchange/searchmessages.h>
#include <image/devicecodes.h>
#include <image/records.h>
#include <link/frames.h>
#include <model/configuration.h>

#include <algorithm>

using Frames::fromBcd;

namespace {

int byteAt(const QByteArray &bytes, int offset)
{
    return offset < bytes.size() ? quint8(bytes.at(offset)) : 0;
}

struct SubDeviceKind
{
    int kind;
    const char16_t *note;
    int rows;
    int deviceType; // of rows 2 onward; rows 0 and 1 are the tag's own outputs
    int firstChannel; // rows k >= 2 get firstChannel + k - 2, or this type when fixed
    bool fixedChannel;
};

constexpr SubDeviceKind subDeviceKinds[] = {
    { 0x02, u"ППКП Ворсен-8П", 10, 9, 16, false },
    { 0x03, u"ППКП Ворсен-16П", 18, 10, 16, false },
    { 0x04, u"ППКП Ворсен-4П", 6, 11, 16, false },
    { 0x21, u"ЗНК-8", 10, 12, DeviceCodes::UnsupervisedOutput, true },
    { 0x31, u"ПУиЗ Ворсен-1", 3, 13, DeviceCodes::ControlOutput, true },
};

using DeviceCodes::TagDeviceType;

QVariant channelTypeOf(int deviceType)
{
    switch (deviceType) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    case 4: return 1;
    default: return {};
    }
}

} // namespace

FoundDeviceRecorder::FoundDeviceRecorder(Configuration &config, SearchState &state)
    : m_config(config), m_state(state)
{
}

void FoundDeviceRecorder::setModule(int module, quint8 moduleAddressByte)
{
    m_module = module;
    m_moduleAddressByte = moduleAddressByte;
}

// Appended behind the cursor, so the lists showing it keep their place while rows come.
int FoundDeviceRecorder::appendFoundRow(const Identity &identity, const QString &note)
{
    return m_config.mtSensorNew().appendBehind([&](MemTable &found) {
        found.setValue(FoundField::id_dev, m_module);
        found.setValue(FoundField::id_sen, fromBcd(quint8(identity.type)));
        found.setValue(FoundField::ver, fromBcd(quint8(identity.version)));
        found.setValue(FoundField::year, identity.year);
        found.setValue(FoundField::month, fromBcd(quint8(identity.month)));
        found.setValue(FoundField::saddrh, identity.serialHigh * 256 + identity.serialLow);
        found.setValue(FoundField::note, note);
    });
}

// A device row at `address` of the module, in the table's form of the identity.
void FoundDeviceRecorder::appendSensorRow(int type, const QVariant &channelType, int address, const Identity &identity)
{
    m_config.mtSensor().appendBehind([&](MemTable &sensors) {
        sensors.setValue(SensorField::id_dev, m_module);
        sensors.setValue(SensorField::id_sen, type);
        sensors.setValue(SensorField::id_chan, channelType);
        sensors.setValue(SensorField::addr, address);
        sensors.setValue(SensorField::id_being, 0);
        sensors.setValue(SensorField::id_area, 0);
        sensors.setValue(SensorField::ver, identity.version);
        sensors.setValue(SensorField::year, identity.year);
        sensors.setValue(SensorField::month, identity.month);
        sensors.setValue(SensorField::saddrh, identity.serialHigh);
        sensors.setValue(SensorField::saddrl, identity.serialLow);
    });
}

// Whether a device row has the identity's version, date and serial and a type that passes.
bool FoundDeviceRecorder::hasRowWithIdentity(const Identity &identity,
                                         const std::function<bool(int type)> &typeMatches) const
{
    const MemTable &sensors = m_config.mtSensor();
    const int expected[] = { identity.version, identity.year, identity.month, identity.serialHigh,
                             identity.serialLow };
    const int columns[] = { SensorField::ver, SensorField::year,
                            SensorField::month, SensorField::saddrh,
                            SensorField::saddrl };
    const int typeColumn = SensorField::id_sen;
    for (int row = 0; row < sensors.rowCount(); ++row) {
        bool same = typeMatches(sensors.rowValue(row, typeColumn).toInt());
        for (int i = 0; i < 5 && same; ++i)
            same = sensors.rowValue(row, columns[i]).toInt() == expected[i];
        if (same)
            return true;
    }
    return false;
}

bool FoundDeviceRecorder::alreadyConfigured(const Identity &identity) const
{
    const int type = fromBcd(quint8(identity.type));
    return hasRowWithIdentity(identity, [type](int rowType) { return rowType == type; });
}

// A tag's rows carry its identity under their own types, and after a load every row of
// the address carries the type the image's one device record holds: any of them will do.
bool FoundDeviceRecorder::tagAlreadyConfigured(const Identity &identity) const
{
    const int type = fromBcd(quint8(identity.type));
    return hasRowWithIdentity(identity, [type](int rowType) {
        return rowType == type || rowType == TagDeviceType
                || std::any_of(std::begin(subDeviceKinds), std::end(subDeviceKinds),
                               [rowType](const SubDeviceKind &k) { return k.deviceType == rowType; });
    });
}

int FoundDeviceRecorder::firstFreeChannelRecord() const
{
    for (int record = 0; record < FreeRecordLimit; ++record) {
        if (ConstChannelRecord(std::as_const(m_config.image()).ChannelRecord(m_module, record)).isEmpty())
            return record;
    }
    return -1;
}

void FoundDeviceRecorder::writeDeviceRecord(const Identity &identity)
{
    SettingsImage &image = m_config.image();
    for (int record = 0; record < SettingsImage::DeviceRecordsPerModule; ++record) {
        const DeviceRecord device(image.DeviceRecord(m_module, record));
        if (!device.isEmpty())
            continue;
        const int values[] = { fromBcd(quint8(identity.type)), fromBcd(quint8(identity.version)), identity.year,
                               identity.month, identity.serialHigh, identity.serialLow };
        for (int field = 0; field < DeviceRecord::IdentitySize; ++field)
            device.setIdentity(field, values[field]);
        return;
    }
}

void FoundDeviceRecorder::recordDevice(const QByteArray &identityReport)
{
    using namespace SearchMessages;
    const Identity identity { byteAt(identityReport, IdentityBytes), byteAt(identityReport, IdentityBytes + 1),
                              byteAt(identityReport, IdentityBytes + 2), byteAt(identityReport, IdentityBytes + 3),
                              byteAt(identityReport, IdentityBytes + 4), byteAt(identityReport, IdentityBytes + 5) };
    // Each row appears with its note, worked out before it is added.
    if (alreadyConfigured(identity)) {
        appendFoundRow(identity, QStringLiteral("дубликат;"));
        return;
    }
    writeDeviceRecord(identity);
    const int record = firstFreeChannelRecord();
    if (record < 0) {
        appendFoundRow(identity, QStringLiteral("нет места в базе"));
        return;
    }
    const int address = record + 2;
    const int row = appendFoundRow(identity, QStringLiteral("записано в базу по адресу ") + QString::number(address));

    if (!m_state.StatusQueued) {
        m_state.CommandQueue << StatusRequestA(m_moduleAddressByte) << StatusRequestB(m_moduleAddressByte);
        m_state.StatusQueued = true;
    }
    const MemTable &found = m_config.mtSensorNew();
    const auto foundValue = [&found, row](int field) { return found.rowInteger(row, field); };
    m_state.CommandQueue << AddressMessage(m_moduleAddressByte, foundValue(FoundField::id_sen),
                                           foundValue(FoundField::ver), foundValue(FoundField::year),
                                           foundValue(FoundField::month), foundValue(FoundField::saddrl),
                                           foundValue(FoundField::saddrh), address);

    const int type = fromBcd(quint8(identity.type));
    appendSensorRow(type, channelTypeOf(type), address, identity);
    ChannelRecord(m_config.image().ChannelRecord(m_module, record)).setOwner(address);
}

void FoundDeviceRecorder::recordSubDevice(const QByteArray &followUpReport)
{
    const QByteArray &p = m_state.PendingIdentity; // empty reads as six zeros
    const Identity identity { byteAt(p, 0), byteAt(p, 1), byteAt(p, 2), byteAt(p, 3), byteAt(p, 4), byteAt(p, 5) };
    if (tagAlreadyConfigured(identity)) {
        appendFoundRow(identity, QStringLiteral("дубликат"));
        return;
    }
    const int kind = byteAt(followUpReport, SearchMessages::SubDeviceKind);
    const auto known = std::find_if(std::begin(subDeviceKinds), std::end(subDeviceKinds),
                                    [kind](const SubDeviceKind &k) { return k.kind == kind; });
    if (known == std::end(subDeviceKinds)) {
        appendFoundRow(identity, QStringLiteral("прибор неопределен"));
        return;
    }
    const QString name = QString::fromUtf16(known->note);
    const int record = firstFreeChannelRecord();
    if (record < 0) {
        appendFoundRow(identity, name + QStringLiteral("; нет места в базе"));
        return;
    }
    appendFoundRow(identity, name);
    const int address = record + 2;
    for (int k = 0; k < known->rows; ++k) {
        const bool tagOutput = k < 2;
        // Each row carries the tag's identity, so that a later search, also after a reload, knows it.
        appendSensorRow(tagOutput ? TagDeviceType : known->deviceType,
                        tagOutput ? DeviceCodes::TagOutput
                                  : known->fixedChannel ? known->firstChannel : known->firstChannel + k - 2,
                        address, identity);
    }
    ChannelRecord(m_config.image().ChannelRecord(m_module, record)).setOwner(address);
}

void FoundDeviceRecorder::markAnswerReceived(const QByteArray &answerReport)
{
    using SearchMessages::IdentityBytes;
    const int expected[] = { fromBcd(quint8(byteAt(answerReport, IdentityBytes))),
                             fromBcd(quint8(byteAt(answerReport, IdentityBytes + 1))),
                             byteAt(answerReport, IdentityBytes + 2),
                             fromBcd(quint8(byteAt(answerReport, IdentityBytes + 3))),
                             byteAt(answerReport, IdentityBytes + 4) * 256 + byteAt(answerReport, IdentityBytes + 5) };
    const int fields[] = { FoundField::id_sen, FoundField::ver, FoundField::year, FoundField::month,
                           FoundField::saddrh };
    MemTable &found = m_config.mtSensorNew();
    const MemTable::CursorKept kept(found);
    for (found.first(); !found.eof(); found.next()) {
        bool same = true;
        for (int i = 0; i < 5 && same; ++i)
            same = found.asInteger(fields[i]) == expected[i];
        if (same) {
            found.setValue(FoundField::note, found.asString(FoundField::note) + QStringLiteral(" ;получен ответ;"));
            found.post();
            return;
        }
    }
}
