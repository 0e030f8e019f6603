#pragma once

#include <image/settingsimage.h>

// Named fields of the image's records, so that the byte layout is spelled out here only.
// A view is as valid as the span it wraps: take it, use it, drop it. Writes store the low
// 8 bits of a value, as every table value is stored.

// A module's channel record: a detector channel (records 0..247), an output (248..255),
// or, on an eight-channel module, an input (254, 255).
template<typename Byte>
class ChannelRecordView
{
public:
    explicit ChannelRecordView(ImageSpan<Byte> bytes) : m_bytes(bytes) { }

    // A detector's loop address, an output's module number; 0 marks an empty record.
    int owner() const { return m_bytes.at(Owner); }
    bool isEmpty() const { return owner() == 0; }
    int channelType() const { return m_bytes.at(ChannelType); }
    // A detector's heat class, an output's mode, an input's message number.
    int mode() const { return m_bytes.at(Mode); }
    // An input's level.
    int time() const { return m_bytes.at(Time); }
    int state() const { return m_bytes.at(State); }
    int zone() const { return m_bytes.at(Zone) << 8 | m_bytes.at(Zone + 1); }
    // An output's index; a detector's own record number while it is attached to a zone.
    int index() const { return m_bytes.at(Index); }
    int offset() const { return m_bytes.at(Offset); }

    void setOwner(int value) const { m_bytes.set(Owner, value); }
    void setChannelType(int value) const { m_bytes.set(ChannelType, value); }
    void setMode(int value) const { m_bytes.set(Mode, value); }
    void setTime(int value) const { m_bytes.set(Time, value); }
    void setState(int value) const { m_bytes.set(State, value); }
    void setZone(int zone) const
    {
        m_bytes.set(Zone, zone >> 8);
        m_bytes.set(Zone + 1, zone);
    }
    void setIndex(int value) const { m_bytes.set(Index, value); }
    void setOffset(int value) const { m_bytes.set(Offset, value); }

    // What every build rewrites from the tables; the rest is kept.
    void clearRebuiltBytes() const { m_bytes.fill(Owner, Index - Owner, 0); }

private:
    enum Byte_ { Owner = 0, ChannelType = 1, Mode = 2, Time = 3, State = 4, Zone = 5, Index = 7, Offset = 8 };
    ImageSpan<Byte> m_bytes;
};

// A device record: who sits at loop address record + 2.
template<typename Byte>
class DeviceRecordView
{
public:
    static constexpr int IdentitySize = 6;

    explicit DeviceRecordView(ImageSpan<Byte> bytes) : m_bytes(bytes) { }

    int type() const { return m_bytes.at(0); }
    bool isEmpty() const { return type() == 0; }
    // Type, version, year, month, serial high, serial low, in this order.
    int identity(int field) const { return m_bytes.at(field); }
    void setIdentity(int field, int value) const
    {
        if (field >= 0 && field < IdentitySize)
            m_bytes.set(field, value);
    }

private:
    ImageSpan<Byte> m_bytes;
};

// One of a zone record's links: a module and one of its channel records.
struct RecordLink
{
    int module;
    int record;
};

// A zone record: the zone's devices and outputs, verification, profile and state.
template<typename Byte>
class ZoneRecordView
{
public:
    static constexpr int DeviceLinkCount = 30;
    static constexpr int OutputLinkCount = 16;

    explicit ZoneRecordView(ImageSpan<Byte> bytes) : m_bytes(bytes) { }

    RecordLink deviceLink(int slot) const { return link(DeviceLinks + LinkSize * slot); }
    void setDeviceLink(int slot, RecordLink link) const { setLink(DeviceLinks + LinkSize * slot, link); }
    RecordLink outputLink(int slot) const { return link(OutputLinks + LinkSize * slot); }
    void setOutputLink(int slot, RecordLink link) const { setLink(OutputLinks + LinkSize * slot, link); }

    int verification() const { return m_bytes.at(Verification); }
    int profile() const { return m_bytes.at(Profile); }
    int state() const { return m_bytes.at(State); }
    void setVerification(int value) const { m_bytes.set(Verification, value); }
    void setProfile(int value) const { m_bytes.set(Profile, value); }
    void setState(int value) const { m_bytes.set(State, value); }

private:
    enum Byte_ { DeviceLinks = 0, OutputLinks = 120, LinkSize = 4, Verification = 184, Profile = 185, State = 186 };
    RecordLink link(int offset) const { return { m_bytes.at(offset), m_bytes.at(offset + 1) }; }
    void setLink(int offset, RecordLink link) const
    {
        m_bytes.set(offset, link.module);
        m_bytes.set(offset + 1, link.record);
    }

    ImageSpan<Byte> m_bytes;
};

// An entry of the input list: which module's input record the panel watches.
template<typename Byte>
class InputListEntryView
{
public:
    explicit InputListEntryView(ImageSpan<Byte> bytes) : m_bytes(bytes) { }

    RecordLink input() const { return { m_bytes.at(0), m_bytes.at(1) }; }
    bool isFree() const { return m_bytes.at(0) == 0; }
    void setInput(RecordLink link) const
    {
        m_bytes.set(0, link.module);
        m_bytes.set(1, link.record);
    }

private:
    ImageSpan<Byte> m_bytes;
};

using ChannelRecord = ChannelRecordView<quint8>;
using ConstChannelRecord = ChannelRecordView<const quint8>;
using DeviceRecord = DeviceRecordView<quint8>;
using ConstDeviceRecord = DeviceRecordView<const quint8>;
using ZoneRecord = ZoneRecordView<quint8>;
using ConstZoneRecord = ZoneRecordView<const quint8>;
using InputListEntry = InputListEntryView<quint8>;
using ConstInputListEntry = InputListEntryView<const quint8>;
