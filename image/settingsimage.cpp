#include <image/settingsimage.h>

#include <image/imagelayout.h>

namespace {
constexpr int invalid = -1;

bool inRange(int value, int low, int high) { return value >= low && value <= high; }
} // namespace

static_assert(SettingsImage::BlockSize * SettingsImage::BlockCount == SettingsImage::Size,
              "transfers move the image in whole blocks");
static_assert(ImageLayout::ZoneCount <= SettingsImage::ZoneSlotCount
                      && SettingsImage::ZoneRecordOffset + ImageLayout::ZoneCount * SettingsImage::ZoneRecordSize
                              <= SettingsImage::InputListOffset,
              "every zone the program edits has a name slot and a record");

SettingsImage::SettingsImage() : m_bytes(Size, '\0') { }

SettingsImage::Region SettingsImage::zoneName(int zone)
{
    if (!isZoneSlot(zone)) {
        qCritical("SettingsImage: zone name %d out of range", zone);
        return { invalid, 0 };
    }
    return { ZoneNameOffset + ZoneNameSize * (zone - 1), ZoneNameSize };
}

SettingsImage::Region SettingsImage::deviceRecord(int module, int record)
{
    if (!isModule(module) || !inRange(record, 0, DeviceRecordsPerModule - 1)) {
        qCritical("SettingsImage: device record (%d, %d) out of range", module, record);
        return { invalid, 0 };
    }
    return { DeviceTableOffset + DeviceRecordSize * (DeviceRecordsPerModule * (module - 1) + record),
             DeviceRecordSize };
}

SettingsImage::Region SettingsImage::channelRecord(int module, int record)
{
    if (!isModule(module) || !inRange(record, 0, ChannelRecordsPerModule - 1)) {
        qCritical("SettingsImage: channel record (%d, %d) out of range", module, record);
        return { invalid, 0 };
    }
    return { ChannelTableOffset
                     + ChannelRecordSize * (ChannelRecordsPerModule * (module - 1) + record),
             ChannelRecordSize };
}

SettingsImage::Region SettingsImage::zoneRecord(int zone)
{
    if (!isZoneSlot(zone)) {
        qCritical("SettingsImage: zone record %d out of range", zone);
        return { invalid, 0 };
    }
    return { ZoneRecordOffset + ZoneRecordSize * (zone - 1), ZoneRecordSize };
}

SettingsImage::Region SettingsImage::inputListEntry(int entry)
{
    if (!inRange(entry, 0, InputListScannedEntries)) {
        qCritical("SettingsImage: input list entry %d out of range", entry);
        return { invalid, 0 };
    }
    return { InputListOffset + InputListEntrySize * entry, InputListEntrySize };
}

ImageBytes SettingsImage::span(Region region)
{
    if (region.offset == invalid)
        return {};
    return { reinterpret_cast<quint8 *>(m_bytes.data()) + region.offset, region.size };
}

ConstImageBytes SettingsImage::span(Region region) const
{
    if (region.offset == invalid)
        return {};
    return { reinterpret_cast<const quint8 *>(m_bytes.constData()) + region.offset, region.size };
}

ImageBytes SettingsImage::SystemBlock() { return span({ SystemBlockOffset, SystemBlockSize }); }
ConstImageBytes SettingsImage::SystemBlock() const { return span({ SystemBlockOffset, SystemBlockSize }); }
ImageBytes SettingsImage::ZoneName(int zone) { return span(zoneName(zone)); }
ConstImageBytes SettingsImage::ZoneName(int zone) const { return span(zoneName(zone)); }
ImageBytes SettingsImage::DeviceRecord(int module, int record) { return span(deviceRecord(module, record)); }
ConstImageBytes SettingsImage::DeviceRecord(int module, int record) const { return span(deviceRecord(module, record)); }
ImageBytes SettingsImage::ChannelRecord(int module, int record) { return span(channelRecord(module, record)); }
ConstImageBytes SettingsImage::ChannelRecord(int module, int record) const { return span(channelRecord(module, record)); }
ImageBytes SettingsImage::ZoneRecord(int zone) { return span(zoneRecord(zone)); }
ConstImageBytes SettingsImage::ZoneRecord(int zone) const { return span(zoneRecord(zone)); }
ImageBytes SettingsImage::InputListEntry(int entry) { return span(inputListEntry(entry)); }
ConstImageBytes SettingsImage::InputListEntry(int entry) const { return span(inputListEntry(entry)); }

std::optional<SettingsImage> SettingsImage::fromBytes(QByteArray bytes)
{
    if (bytes.size() != Size)
        return std::nullopt;
    SettingsImage image { Uninitialised {} };
    image.m_bytes = std::move(bytes);
    return image;
}

bool SettingsImage::setBytes(QByteArray bytes)
{
    if (bytes.size() != Size)
        return false;
    m_bytes = std::move(bytes);
    return true;
}

void SettingsImage::clear()
{
    m_bytes.fill('\0');
}
