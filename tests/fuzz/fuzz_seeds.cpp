// Writes the seed inputs of every fuzz target, made by the code the tests make their images
// and frames with: fuzz_seeds <folder> gives <folder>/<target>/<seed>.

#include "fuzzsupport.h"
#include "relayreplies.h"
#include "richconfiguration.h"
#include "testfiles.h"

#include <exchange/searchmessages.h>
#include <link/frames.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <storage/csvlists.h>
#include <storage/imagebuilder.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace Frames;
using namespace RelayReplies;

namespace {

class SeedFolder
{
public:
    explicit SeedFolder(const QString &path) : m_dir(path) { }

    bool write(const QString &target, const QString &name, const QByteArray &bytes)
    {
        if (m_dir.mkpath(target) && writeFile(m_dir.filePath(target + u'/' + name), bytes))
            return true;
        std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", qUtf8Printable(target), qUtf8Printable(name));
        return false;
    }

private:
    QDir m_dir;
};

QByteArray builtImage(void (*fill)(Configuration &))
{
    Configuration config;
    fill(config);
    ImageBuilder::build(config);
    return config.image().Bytes();
}

QByteArray steps(const QList<std::pair<quint8, QByteArray>> &list)
{
    QByteArray input;
    for (const auto &[operation, bytes] : list)
        input += FuzzSteps::encode(operation, bytes);
    return input;
}

QByteArray text(const QString &string)
{
    return string.toUtf8();
}

QByteArray readReply(const QByteArray &block)
{
    return withCrc(QByteArray::fromHex("c601") + char(block.size() + 5) + char(CommandReadMemory) + block);
}

// A search in which a device and an address tag are found, then the replies that halt it.
QByteArrayList searchReplies()
{
    return { SetAddress(RelayAddress), code(0x00), identityReport(QByteArray::fromHex("011201011234")), code(0x00),
             code(0x00), statusReport(0x01, 0x34, 0x30), code(0x00),
             identityReport(QByteArray::fromHex("070214030201"), 0x44), code(0x00), followUpReport(0x21),
             answerReport(QByteArray::fromHex("011201011234")), code(0x03), code(0x05),
             SearchMessages::noAnswerReply() };
}

// The first block of the zone names of a configuration with every kind of row.
QByteArray richBlock()
{
    return builtImage(fillRichConfiguration).mid(SettingsImage::ZoneNameOffset, BlockSize);
}

QByteArray transferFrames()
{
    const QByteArray block = richBlock();
    return SetAddress(SettingsAddress) + ReadMemory(BlockSize) + readReply(block) + WriteMemory(BlockSize, block)
            + WriteMemory(2, block) + WriteModeWork();
}

bool writeImageSeeds(SeedFolder &seeds)
{
    const auto factory = [](Configuration &) { };
    return seeds.write("fuzz_image", "factory.tab", builtImage(factory))
            && seeds.write("fuzz_image", "rich.tab", builtImage(fillRichConfiguration));
}

bool writeFrameSeeds(SeedFolder &seeds)
{
    const QByteArray frames = transferFrames() + searchReplies().join();
    return seeds.write("fuzz_frameassembler", "whole", QByteArray(1, '\0') + frames)
            && seeds.write("fuzz_frameassembler", "batches", QByteArray::fromHex("0301053f") + frames)
            && seeds.write("fuzz_frameassembler", "noise", QByteArray::fromHex("0207") + QByteArray::fromHex("12c60102c6") + frames);
}

bool writeFilterSeeds(SeedFolder &seeds)
{
    using namespace FilterExpressions;
    const quint8 zones = 0, devices = 8, outputs = 16; // table selectors
    const quint8 set = 0, apply = 1, filtered = 2, position = 3, write = 6, append = 7;
    return seeds.write("fuzz_filters", "zones",
                       steps({ { zones + apply, text(zonesHoldingOutput(1000)) },
                               { zones + position, QByteArray(1, '\x02') },
                               { zones + apply, text(zoneById(7)) },
                               { zones + set, text(QStringLiteral("id = 7 or")) },
                               { zones + apply, text(allRows()) },
                               { zones + position, QByteArray(1, '\x09') },
                               { zones + write, QByteArray::fromHex("0003") } }))
            && seeds.write("fuzz_filters", "devices",
                           steps({ { devices + apply, text(devicesOfZone(7)) },
                                   { devices + position, QByteArray(1, '\x02') },
                                   { devices + write, QByteArray::fromHex("0807") },
                                   { devices + apply, text(devicesOfZoneInDialog(0)) },
                                   { devices + set, text(ofModule(1)) },
                                   { devices + filtered, QByteArray(1, '\x01') },
                                   { devices + apply, text(deviceChannel(2, 5, 5)) },
                                   { devices + append, {} },
                                   { devices + set, text(QStringLiteral("(id_dev = 1) and addr = 5 or id_dev = 2")) } }))
            && seeds.write("fuzz_filters", "outputs",
                           steps({ { outputs + apply, text(outputsWithKeys({ 1000, 1002 })) },
                                   { outputs + apply, text(outputsWithKeys({})) },
                                   { outputs + position, QByteArray(1, '\x01') },
                                   { outputs + apply, text(ofModule(5)) },
                                   { outputs + set, text(QStringLiteral("id_return=")) } }));
}

bool writeSettingsInputSeeds(SeedFolder &seeds)
{
    const quint8 second = 8; // the second telephone box
    const quint8 keys = 0, type = 1, pause = 2, findSignal = 3, tone = 4, load = 5, address = 6, format = 7;
    return seeds.write("fuzz_settingsinput", "telephone",
                       steps({ { type, text(QStringLiteral("12+34*5")) },
                               { pause, QByteArray(1, '\x03') },
                               { findSignal, QByteArray(1, '\xff') },
                               { tone, QByteArray(1, '\x01') },
                               { second + type, text(QStringLiteral("0441234567890123")) },
                               { second + pause, {} },
                               { second + tone, QByteArray(1, '\x01') },
                               { second + tone, QByteArray(1, '\x00') },
                               { load, text(QStringLiteral("12345678901234567")) },
                               { tone, QByteArray(1, '\x01') } }))
            && seeds.write("fuzz_settingsinput", "keys",
                           steps({ { keys, QByteArray::fromHex("300039002b002a000800160018003001410061043000") } }))
            && seeds.write("fuzz_settingsinput", "address",
                           steps({ { address, text(QStringLiteral("16")) },
                                   { address, text(QStringLiteral("17")) },
                                   { address, {} },
                                   { address, text(QStringLiteral("0x5")) },
                                   { format, text(QStringLiteral("123456789012345")) },
                                   { format, text(QStringLiteral("+*1")) + '\x01' } }))
            && seeds.write("fuzz_settingsinput", "checks",
                           steps({ { 16, text(QStringLiteral("  объект ☃ 5 ")) },
                                   { 17, text(QStringLiteral("12345678901")) },
                                   { 18, text(QStringLiteral("12")) },
                                   { 19, text(QStringLiteral("250")) },
                                   { 20, text(QStringLiteral("+12*3")) },
                                   { 21, text(QStringLiteral("17")) },
                                   { 22, text(QStringLiteral("склад ґ №1 é")) },
                                   { 23, text(QStringLiteral("256")) },
                                   { 24, text(QStringLiteral("99999")) },
                                   { 25, text(QStringLiteral("22:35")) },
                                   { 25, text(QStringLiteral("23:50")) } }));
}

bool writeSearchSeeds(SeedFolder &seeds)
{
    const QByteArray setUp = FuzzSteps::encode(0, QByteArray(3, '\0'));
    QByteArray replies;
    for (const QByteArray &reply : searchReplies())
        replies += FuzzSteps::encode(0, reply);
    const QByteArray full = FuzzSteps::encode(0, QByteArray::fromHex("0000ff"));
    return seeds.write("fuzz_searchreplies", "search", setUp + replies)
            && seeds.write("fuzz_searchreplies", "full-module", full + replies)
            && seeds.write("fuzz_searchreplies", "down-the-line",
                           setUp + FuzzSteps::encode(4, searchReplies().join().left(255)));
}

bool writeTransferSeeds(SeedFolder &seeds)
{
    const QByteArray setUp = FuzzSteps::encode(0, QByteArray(4, '\0'));
    const quint8 read = 0, write = 1, workingMode = 2, goodFrame = 4, answer = 6;
    const QByteArray wholeTransfer = QByteArray::fromHex("8006"); // 1664 answers, more than a transfer takes
    const QByteArray block = richBlock();
    return seeds.write("fuzz_transferreplies", "read", setUp + steps({ { read, {} }, { answer, wholeTransfer } }))
            && seeds.write("fuzz_transferreplies", "write", setUp + steps({ { write, {} }, { answer, wholeTransfer } }))
            && seeds.write("fuzz_transferreplies", "read-with-own-replies",
                           setUp + steps({ { read, {} }, { answer, QByteArray(1, '\x02') },
                                           { goodFrame, char(CommandReadMemory) + block },
                                           { answer, QByteArray(1, '\x04') } }))
            && seeds.write("fuzz_transferreplies", "faults",
                           FuzzSteps::encode(0, QByteArray::fromHex("01020301"))
                                   + steps({ { read, {} }, { answer, wholeTransfer }, { workingMode, {} },
                                             { answer, QByteArray(1, '\x01') } }));
}

bool writeZoneNameSeeds(SeedFolder &seeds)
{
    Configuration config;
    fillRichConfiguration(config);
    QTemporaryDir folder;
    QString error;
    const QStringList written = folder.isValid() ? CsvLists::exportLists(config, folder.path(), &error) : QStringList();
    if (written.isEmpty()) {
        std::fprintf(stderr, "fuzz_seeds: cannot export the lists: %s\n", qUtf8Printable(error));
        return false;
    }
    QFile exported(written.constFirst());
    return exported.open(QIODevice::ReadOnly) && seeds.write("fuzz_zonenames", "exported", exported.readAll())
            && seeds.write("fuzz_zonenames", "typed",
                           text(QStringLiteral("1;склад\n2;\"цех; \"\"север\"\"\"\n\n500;%1\n").arg(QString(40, u'Я'))))
            && seeds.write("fuzz_zonenames", "refused",
                           QByteArray("\xef\xbb\xbf" "7 склад\r\n0;x\r\n3;a\r\n3;b\r\n4;\"open\r\n"));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    SeedFolder seeds(QString::fromLocal8Bit(argv[1]));
    const bool written = writeImageSeeds(seeds) && writeFrameSeeds(seeds) && writeFilterSeeds(seeds)
            && writeSettingsInputSeeds(seeds) && writeSearchSeeds(seeds) && writeTransferSeeds(seeds)
            && writeZoneNameSeeds(seeds);
    return written ? 0 : 1;
}
