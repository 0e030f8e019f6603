#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <algorithm>
#include <optional>
#include <type_traits>

// A bounded window onto part of the settings image. Reads outside the window give 0
// and writes outside it are dropped with a warning, so a wrong index can never touch
// memory beyond the image. Like any view it is valid until the image is replaced
// (setBytes) or destroyed: take it, use it, drop it.
template<typename Byte>
class ImageSpan
{
public:
    ImageSpan() = default;
    ImageSpan(Byte *data, int size) : m_data(data), m_size(data ? size : 0) { }

    bool isNull() const { return m_data == nullptr; }
    int size() const { return m_size; }

    quint8 at(qsizetype index) const
    {
        return contains(index) ? m_data[index] : quint8(0);
    }
    quint8 operator[](qsizetype index) const { return at(index); }

    // Stores the low 8 bits, as every table value is stored.
    void set(qsizetype index, int value) const
    {
        static_assert(!std::is_const_v<Byte>, "read-only span");
        if (contains(index))
            m_data[index] = quint8(value & 0xFF);
    }

    // Writes `bytes` from `index` on; what does not fit is dropped.
    void write(qsizetype index, QByteArrayView bytes) const
    {
        static_assert(!std::is_const_v<Byte>, "read-only span");
        if (index >= 0 && index <= m_size - bytes.size()) {
            std::copy_n(reinterpret_cast<const quint8 *>(bytes.constData()), bytes.size(), m_data + index);
            return;
        }
        for (qsizetype i = 0; i < bytes.size(); ++i) // byte by byte, each one dropped told
            set(index + i, quint8(bytes.at(i)));
    }

    void fill(quint8 value) const { fill(0, m_size, value); }

    // `count` bytes from `index` on; a range that does not fit is dropped whole.
    void fill(qsizetype index, qsizetype count, quint8 value) const
    {
        static_assert(!std::is_const_v<Byte>, "read-only span");
        if (count <= 0)
            return;
        if (contains(index) && contains(index + count - 1))
            std::fill_n(m_data + index, count, value);
    }

    QByteArray toByteArray() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_data), m_size);
    }

    // The bytes from `index` on, as many of `count` as the span holds.
    QByteArray mid(qsizetype index, qsizetype count) const
    {
        if (index < 0 || index >= m_size || count <= 0)
            return {};
        return QByteArray(reinterpret_cast<const char *>(m_data) + index, qMin<qsizetype>(count, m_size - index));
    }

    operator ImageSpan<const quint8>() const { return { m_data, m_size }; }

private:
    bool contains(qsizetype index) const
    {
        if (index >= 0 && index < m_size)
            return true;
        qWarning("ImageSpan: index %lld outside a span of %d bytes", qlonglong(index), m_size);
        return false;
    }

    Byte *m_data = nullptr;
    int m_size = 0;
};

using ImageBytes = ImageSpan<quint8>;
using ConstImageBytes = ImageSpan<const quint8>;

// The panel's whole configuration memory, byte for byte as it lies from panel address
// 0x1D044000 on. Accessors take module, zone and record numbers; a number out of range
// is a programming error, reported and answered with an empty span.
class SettingsImage
{
public:
    static constexpr int Size = 204800;
    static constexpr int BlockSize = 128;
    static constexpr int BlockCount = Size / BlockSize;

    static constexpr int SystemBlockOffset = 0;
    static constexpr int SystemBlockSize = 4096;
    static constexpr int ZoneNameOffset = 4096;
    static constexpr int ZoneNameSize = 64;
    static constexpr int DeviceTableOffset = 36864;
    static constexpr int DeviceRecordSize = 8;
    static constexpr int DeviceRecordsPerModule = 128;
    static constexpr int ChannelTableOffset = 53248;
    static constexpr int ChannelRecordSize = 12;
    static constexpr int ChannelRecordsPerModule = 256;
    static constexpr int ZoneRecordOffset = 102400;
    static constexpr int ZoneRecordSize = 200;
    static constexpr int InputListOffset = 202600;
    static constexpr int InputListEntrySize = 16;

    static constexpr int ModuleCount = 16;
    static constexpr int ZoneSlotCount = 512;
    static constexpr int InputListScannedEntries = 33;

    SettingsImage();
    // An image of exactly Size bytes; none for any other length.
    static std::optional<SettingsImage> fromBytes(QByteArray bytes);

    ImageBytes SystemBlock();
    ConstImageBytes SystemBlock() const;
    ImageBytes ZoneName(int zone);
    ConstImageBytes ZoneName(int zone) const;
    ImageBytes DeviceRecord(int module, int record);
    ConstImageBytes DeviceRecord(int module, int record) const;
    ImageBytes ChannelRecord(int module, int record);
    ConstImageBytes ChannelRecord(int module, int record) const;
    ImageBytes ZoneRecord(int zone);
    ConstImageBytes ZoneRecord(int zone) const;
    // Entries 0..32 are scanned; a pair taken at entry 32 also writes entry 33.
    ImageBytes InputListEntry(int entry);
    ConstImageBytes InputListEntry(int entry) const;

    // The whole image, for the few bytes that lie outside the named records.
    ImageBytes Whole() { return span({ 0, Size }); }
    ConstImageBytes Whole() const { return span({ 0, Size }); }

    const QByteArray &Bytes() const { return m_bytes; }
    // Replaces the whole image; refused (false) unless `bytes` is exactly Size long.
    bool setBytes(QByteArray bytes);
    void clear();

    static bool isModule(int module) { return module >= 1 && module <= ModuleCount; }
    static bool isZoneSlot(int zone) { return zone >= 1 && zone <= ZoneSlotCount; }

private:
    struct Region { int offset; int size; };
    static Region zoneName(int zone);
    static Region deviceRecord(int module, int record);
    static Region channelRecord(int module, int record);
    static Region zoneRecord(int zone);
    static Region inputListEntry(int entry);

    ImageBytes span(Region region);
    ConstImageBytes span(Region region) const;

    struct Uninitialised { };
    explicit SettingsImage(Uninitialised) { }

    QByteArray m_bytes;
};
