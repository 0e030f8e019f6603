// Replies of any shape while a device search runs, with or without a correct CRC: the
// device table only gains rows at loop addresses 2..129 of the searched module, and the
// image changes only in the device records and channel addresses the recorder writes.
//
// Input: steps (see FuzzStep). The first sets up: byte 0 the technological address
// (1 + byte % 16), byte 1 the module searched (1 + byte % 16), byte 2 how many of its first
// channel records are in use already (byte % 131). Each further step is a reply; the
// operation says which (operation % 4): 0 the bytes as they are, 1 a relay reply of the
// loop module (byte 0 its module address byte, the rest its body), 2 the same with a broken
// CRC, 3 the set-address echo (byte 0 even) or the panel's no-answer reply. Operation bit 2
// sends it down the line instead of straight to the search.

#include "fuzzsupport.h"
#include "recordingnotifier.h"
#include "relayreplies.h"

#include <exchange/devicesearch.h>
#include <exchange/searchmessages.h>
#include <image/imagelayout.h>
#include <link/frames.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <model/configuration.h>

#include <fakepanellink.h>

namespace {

struct Rig
{
    Rig()
    {
        notifier.answer = true;
        // Nothing is paced by time here: every step is a reply.
        search.setPollInterval(24 * 3600 * 1000);
        search.setStatusRepeatInterval(24 * 3600 * 1000);
    }

    FakePanelLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    DeviceSearch search { channel, config, notifier };
};

QByteArray reply(const FuzzStep &step)
{
    switch (step.operation % 4) {
    case 0:
        return step.bytes;
    case 1:
    case 2: {
        QByteArray frame = RelayReplies::reply(quint8(step.number(0)), step.bytes.mid(1));
        if (step.operation % 4 == 2)
            frame.back() = char(frame.back() ^ 0x5A);
        return frame;
    }
    default:
        return step.number(0) % 2 == 0 ? Frames::SetAddress(Frames::RelayAddress) : SearchMessages::noAnswerReply();
    }
}

// Where the recorder may write for `module`: its device records, and byte 0 (the loop
// address) of its first channel records.
bool recorderMayWrite(int offset, int module)
{
    const int devices = SettingsImage::DeviceTableOffset
            + SettingsImage::DeviceRecordSize * SettingsImage::DeviceRecordsPerModule * (module - 1);
    if (offset >= devices && offset < devices + SettingsImage::DeviceRecordSize * SettingsImage::DeviceRecordsPerModule)
        return true;
    const int channels = SettingsImage::ChannelTableOffset
            + SettingsImage::ChannelRecordSize * SettingsImage::ChannelRecordsPerModule * (module - 1);
    const int record = (offset - channels) / SettingsImage::ChannelRecordSize;
    return offset >= channels && (offset - channels) % SettingsImage::ChannelRecordSize == 0
            && record < FoundDeviceRecorder::FreeRecordLimit;
}

void checkImage(const QByteArray &before, const QByteArray &after, int module)
{
    if (after == before)
        return;
    for (int offset = 0; offset < SettingsImage::Size; ++offset) {
        if (before.at(offset) != after.at(offset))
            FUZZ_CHECK(recorderMayWrite(offset, module),
                       QStringLiteral("byte %1 of the image changed from %2 to %3")
                               .arg(offset)
                               .arg(quint8(before.at(offset)))
                               .arg(quint8(after.at(offset))));
    }
}

void checkDevices(const MemTable &sensors, int module)
{
    for (int row = 0; row < sensors.rowCount(); ++row) {
        const int address = sensors.rowValue(row, QStringLiteral("addr")).toInt();
        FUZZ_CHECK(address >= ImageLayout::FirstLoopAddress && address <= ImageLayout::LastLoopAddress,
                   QStringLiteral("row %1 at loop address %2").arg(row).arg(address));
        FUZZ_CHECK(sensors.rowValue(row, QStringLiteral("id_dev")).toInt() == module,
                   QStringLiteral("row %1 on module %2").arg(row).arg(sensors.rowValue(row, QStringLiteral("id_dev")).toInt()));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startCoreApplication(argc, argv);
    treatQtMessagesAsFaults();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSteps steps(data, size);
    const std::optional<FuzzStep> setUp = steps.next();
    if (!setUp)
        return 0;
    Rig rig;
    const int module = 1 + setUp->number(1) % SettingsImage::ModuleCount;
    const QString technological = QString::number(1 + setUp->number(0) % 16);
    for (int record = 0; record < setUp->number(2) % 131; ++record)
        rig.config.image().ChannelRecord(module, record).set(0, record + ImageLayout::FirstLoopAddress);
    FUZZ_CHECK(rig.search.start(PortSettings(), module, technological), rig.notifier.messages.join(u'\n'));
    const QByteArray before = rig.config.image().Bytes();

    while (const std::optional<FuzzStep> step = steps.next()) {
        const QByteArray frame = reply(*step);
        if (step->operation & 4)
            emit rig.link.received(frame);
        else
            rig.search.handleReply(frame);
        checkDevices(rig.config.mtSensor(), module);
        checkImage(before, rig.config.image().Bytes(), module);
    }
    return 0;
}
