// Whatever the line brings and however it is split into batches, every frame handed on
// starts with the start byte and is as long as its length byte says, and the frames are
// the same as when the bytes come in one batch.
//
// Input: a count byte k (taken modulo 33), k batch sizes (each modulo 64, 0 being an empty
// batch), then the received bytes, cut into batches of those sizes in turn.

#include "fuzzsupport.h"

#include <link/frameassembler.h>
#include <link/frames.h>

namespace {

void checkFrames(const QByteArrayList &frames, const QByteArray &line)
{
    qsizetype from = 0;
    for (const QByteArray &frame : frames) {
        FUZZ_CHECK(frame.size() >= 5, QString::fromLatin1(frame.toHex(' ')));
        FUZZ_CHECK(quint8(frame.at(0)) == Frames::StartByte, QString::fromLatin1(frame.toHex(' ')));
        FUZZ_CHECK(frame.size() == quint8(frame.at(2)), QString::fromLatin1(frame.toHex(' ')));
        // Each frame is a run of received bytes, after the one before it.
        const qsizetype at = line.indexOf(frame, from);
        FUZZ_CHECK(at >= 0, QString::fromLatin1(frame.toHex(' ')));
        from = at + frame.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    treatQtMessagesAsFaults();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.isEmpty())
        return 0;
    const int count = qMin(quint8(input.at(0)) % 33, int(input.size()) - 1);
    QList<int> batchSizes;
    for (int i = 1; i <= count; ++i)
        batchSizes << quint8(input.at(i)) % 64;
    const QByteArray line = input.mid(1 + count);

    FrameAssembler whole;
    const QByteArrayList expected = whole.feed(line);
    checkFrames(expected, line);

    FrameAssembler batched;
    QByteArrayList frames;
    qsizetype position = 0;
    for (int batch = 0; position < line.size(); ++batch) {
        // Empty batches alone would never get through the line: past as many batches as
        // it has bytes, the rest comes at once.
        const int length = batchSizes.isEmpty() || batch >= line.size() + batchSizes.size()
                ? int(line.size() - position)
                : batchSizes.at(batch % batchSizes.size());
        frames << batched.feed(line.mid(position, length));
        position += length;
    }
    FUZZ_CHECK(frames == expected, QStringLiteral("%1 frames in batches, %2 at once").arg(frames.size()).arg(expected.size()));
    FUZZ_CHECK(batched.hasPartialFrame() == whole.hasPartialFrame(), QString());
    return 0;
}
