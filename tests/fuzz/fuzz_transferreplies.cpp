// Replies of any shape during the memory transfers, with or without a correct CRC, among
// and instead of the panel's own: the settings image stays as it was unless a read brought
// every block and loaded them.
//
// Input: steps (see FuzzStep). The first sets the panel's faults, replies counted from 1 in
// steps of 8, 0 for none: byte 0 the reply whose last byte is flipped, byte 1 the first
// reply not sent, byte 2 the reply instead of which the line fails; byte 3 odd sends each
// reply byte by byte. Each further step does what its operation says (operation % 8): 0 read
// from the panel, 1 write to it, 2 switch it to working mode, 3 a reply of the step's bytes,
// 4 a frame with command byte 0 and the rest as payload, correct CRC, 5 the same with a
// broken CRC, 6 let the panel answer up to (bytes 0 and 1, little-endian) % 2049 times,
// 7 the line fails. Operation bit 3 sends replies down the line instead of straight to the
// transfer.

#include "fuzzsupport.h"
#include "recordingnotifier.h"
#include "richconfiguration.h"

#include <exchange/memorytransfer.h>
#include <link/frames.h>
#include <link/packetchannel.h>
#include <link/portsettings.h>
#include <model/configuration.h>
#include <storage/imagebuilder.h>

#include <QTemporaryDir>

#include <fakepanellink.h>

namespace {

QString transferFile()
{
    static const QTemporaryDir dir;
    return dir.filePath(QStringLiteral("temp.tab"));
}

// What the panel holds: a configuration with every kind of row, unlike the program's.
const QByteArray &panelImage()
{
    static const QByteArray image = [] {
        Configuration config;
        fillRichConfiguration(config);
        ImageBuilder::build(config);
        return config.image().Bytes();
    }();
    return image;
}

struct Rig
{
    Rig()
    {
        link.memory = panelImage();
        transfer.setTransferFile(transferFile());
        // Only replies move a transfer on here; a time-out would make runs depend on speed.
        transfer.setReplyTimeout(24 * 3600 * 1000);
        QObject::connect(&transfer, &MemoryTransfer::configurationLoaded, [this] { loaded = true; });
        ImageBuilder::build(config); // as a write builds it
    }

    FakePanelLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    MemoryTransfer transfer { channel, config, notifier };
    bool loaded = false;
};

QByteArray frame(const FuzzStep &step)
{
    if (step.operation % 8 == 3)
        return step.bytes;
    QByteArray frame = QByteArray::fromHex("c601") + char((step.bytes.size() + 4) & 0xFF) + step.bytes;
    frame = Frames::withCrc(frame);
    if (step.operation % 8 == 5)
        frame.back() = char(frame.back() ^ 0x5A);
    return frame;
}

void letPanelAnswer(int times)
{
    for (int i = 0; i < times; ++i)
        QCoreApplication::processEvents();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startCoreApplication(argc, argv);
    treatQtMessagesAsFaults();
    panelImage();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSteps steps(data, size);
    const std::optional<FuzzStep> setUp = steps.next();
    if (!setUp)
        return 0;
    Rig rig;
    rig.link.corruptAt = 8 * setUp->number(0);
    rig.link.silentAt = 8 * setUp->number(1);
    rig.link.lineFailsAt = 8 * setUp->number(2);
    rig.link.byteByByte = setUp->number(3) % 2 == 1;
    QByteArray before = rig.config.image().Bytes();

    while (const std::optional<FuzzStep> step = steps.next()) {
        switch (step->operation % 8) {
        case 0:
            rig.transfer.readFromPanel(PortSettings());
            break;
        case 1:
            rig.transfer.writeToPanel(PortSettings());
            break;
        case 2:
            rig.transfer.switchToWorkingMode(PortSettings());
            break;
        case 3:
        case 4:
        case 5:
            if (step->operation & 8)
                emit rig.link.received(frame(*step));
            else
                rig.transfer.handleReply(frame(*step));
            break;
        case 6:
            letPanelAnswer((step->number(0) | step->number(1) << 8) % 2049);
            break;
        case 7:
            rig.link.close();
            emit rig.link.failed(QStringLiteral("cable pulled"));
            break;
        }
        if (rig.loaded) {
            // What was read stands now; a later write builds it as a save would.
            rig.loaded = false;
            ImageBuilder::build(rig.config);
            before = rig.config.image().Bytes();
            continue;
        }
        FUZZ_CHECK(rig.config.image().Bytes() == before,
                   QStringLiteral("the image changed in step %1 without a completed read").arg(step->operation));
    }
    return 0;
}
