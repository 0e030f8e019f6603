#include <exchange/memorytransfer.h>
#include <exchange/transferfile.h>

#include <exchange/transferprogress.h>
#include <link/frames.h>
#include <link/portsettings.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <model/configurationdiff.h>
#include <model/notifier.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <storage/tabfile.h>
#include <systemerror/systemerror.h>

#include <QDir>
#include <QFileInfo>

using namespace Frames;

// The wire's blocks are the image's: a transfer moves the whole image and nothing else.
static_assert(BlockSize == SettingsImage::BlockSize && BlockCount == SettingsImage::BlockCount);

namespace {

// What a notifier would hear while the two images are only being compared.
class QuietNotifier : public Notifier
{
public:
    void information(const QString &) override { }
    void warning(const QString &) override { }
    bool question(const QString &) override { return false; }
};

// How `after` differs from `before` in the configuration's words; nothing when either
// does not load as settings.
QStringList describeImageDifferences(const QByteArray &before, const QByteArray &after)
{
    const std::optional<SettingsImage> beforeImage = SettingsImage::fromBytes(before);
    const std::optional<SettingsImage> afterImage = SettingsImage::fromBytes(after);
    if (!beforeImage || !afterImage)
        return {};
    QuietNotifier quiet;
    Configuration beforeConfig;
    Configuration afterConfig;
    if (!FileCommands(beforeConfig, quiet).openImage(*beforeImage, QStringLiteral("before"))
        || !FileCommands(afterConfig, quiet).openImage(*afterImage, QStringLiteral("after")))
        return {};
    return describeDifferences(beforeConfig, afterConfig);
}

// Numbered from 1, as the progress counts them.
QStringList differingBlocks(const QByteArray &one, const QByteArray &other)
{
    QStringList blocks;
    for (int block = 0; block < BlockCount; ++block) {
        const qsizetype offset = qsizetype(block) * BlockSize;
        if (QByteArrayView(one).sliced(offset, BlockSize) != QByteArrayView(other).sliced(offset, BlockSize))
            blocks << QString::number(block + 1);
    }
    return blocks;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

MemoryTransfer::MemoryTransfer(PacketChannel &channel, Configuration &config, Notifier &notifier,
                               QObject *parent)
    : QObject(parent), m_channel(channel), m_config(config), m_notifier(notifier)
{
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(DefaultReplyTimeout);
    connect(&m_replyTimer, &QTimer::timeout, this, &MemoryTransfer::replyTimedOut);
    m_channel.setHandler(this);
}

MemoryTransfer::~MemoryTransfer()
{
    m_channel.removeHandler(this);
}

bool MemoryTransfer::writeToPanel(const PortSettings &settings)
{
    ImageBuilder::build(m_config);
    QString error;
    if (!TabFile::RecordArrayToFile(m_config.image(), transferPath(), &error)) {
        m_notifier.warning(error);
        return false;
    }
    return start(Mode::Writing, settings);
}

bool MemoryTransfer::readFromPanel(const PortSettings &settings)
{
    return start(Mode::Reading, settings);
}

bool MemoryTransfer::compareWithPanel(const PortSettings &settings)
{
    QByteArray ours = ImageBuilder::builtAside(m_config);
    if (!start(Mode::Comparing, settings))
        return false;
    m_image = std::move(ours);
    m_readBack.clear();
    m_readBack.reserve(SettingsImage::Size);
    return true;
}

bool MemoryTransfer::start(Mode mode, const PortSettings &settings)
{
    endQuietly(); // a transfer under way gives way to this one
    m_channel.setHandler(this);
    QString error;
    if (!m_channel.open(settings, &error)) {
        m_notifier.warning(error);
        return false;
    }
    m_succeeded = true;
    m_outcome = { mode == Mode::Writing   ? TransferOutcome::Kind::Write
                  : mode == Mode::Reading ? TransferOutcome::Kind::Read
                                          : TransferOutcome::Kind::Compare };
    m_cancelRequested = false;
    m_mode = mode;
    m_blockCounter = BlockCount;
    m_expectedReply = SetAddress(SettingsAddress);
    return sendFrame(m_expectedReply);
}

bool MemoryTransfer::switchToWorkingMode(const PortSettings &settings)
{
    // The echo is awaited here, also after a search left its own handler on the port.
    if (m_channel.handler() != this)
        m_channel.setHandler(this);
    QString error;
    if (!m_channel.isOpen() && !m_channel.open(settings, &error)) {
        m_notifier.warning(error);
        return false;
    }
    // A transfer under way stops here: its next reply is only compared.
    stopBlockTransfer();
    m_succeeded = true;
    m_outcome = {};
    sendWorkingMode(true);
    return m_mode == Mode::AwaitingWorkingMode;
}

bool MemoryTransfer::isTransferring() const
{
    return m_mode == Mode::Writing || m_mode == Mode::Verifying || m_mode == Mode::Reading
            || m_mode == Mode::Comparing;
}

// The reply of the block in flight is awaited first, so that it does not arrive in the
// middle of the working-mode exchange.
void MemoryTransfer::cancel()
{
    if (isTransferring())
        m_cancelRequested = true;
}

void MemoryTransfer::endCancelled()
{
    m_cancelRequested = false;
    switch (m_mode) {
    case Mode::Writing: {
        const int firstOld = currentBlock() + 1; // the reply just come acknowledged its block
        abort(message(MessageId::WritingCancelled)
                      .arg(firstOld)
                      .arg(BlockCount),
              true, firstOld);
        return;
    }
    case Mode::Verifying:
        abort(message(MessageId::VerifyingCancelled), true);
        return;
    case Mode::Reading:
        abort(message(MessageId::ReadingCancelled), true);
        return;
    case Mode::Comparing:
        abort(message(MessageId::ComparingCancelled), true);
        return;
    case Mode::Idle:
    case Mode::AwaitingWorkingMode:
        return;
    }
}

bool MemoryTransfer::sendFrame(const QByteArray &frame)
{
    // The reply is timed from when the frame has left (handleWritten).
    m_replyTimer.stop();
    QString error;
    if (m_channel.send(frame, &error))
        return true;
    handleSendFailure(error);
    return false;
}

void MemoryTransfer::handleWritten()
{
    if (m_mode != Mode::Idle)
        m_replyTimer.start();
}

void MemoryTransfer::handleSendFailure(const QString &reason)
{
    switch (m_mode) {
    case Mode::Idle:
        return;
    case Mode::Writing:
    case Mode::Verifying:
    case Mode::Reading:
    case Mode::Comparing:
        abort(message(MessageId::SendFailed).arg(reason), false);
        return;
    case Mode::AwaitingWorkingMode:
        settle();
        workingModeNotConfirmed();
        m_notifier.warning(message(MessageId::WorkingModeNotSent).arg(reason));
        emit finished(false);
        return;
    }
}

// The block whose reply is awaited (or has just come), 1..1600; 0 before the first.
int MemoryTransfer::currentBlock() const
{
    return BlockCount - m_blockCounter;
}

void MemoryTransfer::handleReply(const QByteArray &frame)
{
    // The last block's acknowledgement completes the write: a cancel then falls on the
    // check that follows, if any.
    const bool writeComplete = m_mode == Mode::Writing && currentBlock() >= BlockCount;
    if (m_cancelRequested && isTransferring() && !writeComplete) {
        m_replyTimer.stop();
        endCancelled();
        return;
    }
    switch (m_mode) {
    case Mode::Idle:
        if (AnalizePasket(frame, m_expectedReply) != 0)
            m_notifier.information(message(MessageId::WrongPacket));
        return;
    case Mode::Writing:
        handleWriteReply(frame);
        return;
    case Mode::Reading:
        handleReadReply(frame);
        return;
    case Mode::Verifying:
        handleVerifyReply(frame);
        return;
    case Mode::Comparing:
        handleCompareReply(frame);
        return;
    case Mode::AwaitingWorkingMode:
        handleWorkingModeReply(frame);
        return;
    }
}

void MemoryTransfer::handleWriteReply(const QByteArray &frame)
{
    m_replyTimer.stop();
    const int acknowledged = currentBlock();
    if (AnalizePasket(frame, m_expectedReply) != 0) {
        abort(acknowledged == 0 ? message(MessageId::WrongPacketAddress)
                                : message(MessageId::WrongPacketWriting).arg(acknowledged).arg(BlockCount),
              true);
        return;
    }
    if (acknowledged == 0) {
        QFile file(transferPath());
        int code = 0;
        if (!SystemError::attempt([&] { return file.open(QIODevice::ReadOnly); }, code)) {
            abort(message(MessageId::SourceNotRead)
                          .arg(shown(transferPath()), SystemError::describe(file, code)),
                  true);
            return;
        }
        m_image = file.read(SettingsImage::Size);
        if (m_image.size() != SettingsImage::Size) {
            abort(message(MessageId::SourceTooShort).arg(shown(transferPath())),
                  true);
            return;
        }
        if (m_progress)
            m_progress->start(QStringLiteral("Идет запись в прибор"), BlockCount);
    } else if (acknowledged < BlockCount) {
        if (m_progress)
            m_progress->advance();
    } else {
        if (m_progress)
            m_progress->finish();
        keepBackup(m_image, true);
        if (m_verify) {
            startVerifying();
            return;
        }
        m_image.clear();
        sendWorkingMode(true);
        return;
    }
    const QByteArray block = m_image.mid(acknowledged * BlockSize, BlockSize);
    m_expectedReply = WriteMemory(2, block);
    --m_blockCounter;
    sendFrame(WriteMemory(BlockSize, block));
}

void MemoryTransfer::handleReadReply(const QByteArray &frame)
{
    m_replyTimer.stop();
    const int block = currentBlock(); // the block this reply carries; 0 for the address echo
    if (block == 0) {
        // The echo is not checked: the first data reply shows whether the panel answers.
        m_file.setFileName(transferPath());
        int code = 0;
        if (!SystemError::attempt([this] { return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate); }, code)) {
            abort(message(MessageId::ReadFileNotCreated)
                          .arg(shown(transferPath()), SystemError::describe(m_file, code)),
                  true);
            return;
        }
        if (m_progress)
            m_progress->start(QStringLiteral("Идет чтение из прибора"), BlockCount);
        --m_blockCounter;
        sendFrame(ReadMemory(BlockSize));
        return;
    }
    if (!isWellFormedReadReply(frame, BlockSize)) {
        abort(message(MessageId::WrongPacketReading).arg(block).arg(BlockCount), true);
        return;
    }
    const QByteArray data = readReplyData(frame);
    int code = 0;
    if (!SystemError::attempt([&] { return m_file.write(data) == data.size() && m_file.flush(); }, code)) {
        abort(message(MessageId::ReadFileNotWritten).arg(shown(transferPath()), SystemError::describe(m_file, code)),
              true);
        return;
    }
    if (block < BlockCount) {
        if (m_progress)
            m_progress->advance();
        --m_blockCounter;
        sendFrame(ReadMemory(BlockSize));
        return;
    }
    closeTransferFile();
    if (m_progress)
        m_progress->finish();
    m_mode = Mode::Idle;
    QFile read(transferPath());
    if (read.open(QIODevice::ReadOnly))
        keepBackup(read.readAll(), false);
    FileCommands files(m_config, m_notifier);
    if (files.openFile(transferPath())) {
        emit configurationLoaded();
    } else {
        m_succeeded = false; // the user has been told why
        m_outcome.end = TransferOutcome::End::NotLoaded;
    }
    sendWorkingMode(true);
}

// A copy that cannot be kept is told about; the transfer itself went well.
void MemoryTransfer::keepBackup(const QByteArray &image, bool written)
{
    if (!m_backups)
        return;
    QString error;
    if (m_backups->keep(image, written ? BackupStore::Direction::Written : BackupStore::Direction::Read,
                        QDateTime::currentDateTime(), &error)
                .isEmpty())
        m_notifier.warning(message(MessageId::BackupNotKept).arg(error));
}

// The whole memory read back, block by block, as a read does, but kept apart: the
// configuration stays as it was written.
void MemoryTransfer::startVerifying()
{
    m_mode = Mode::Verifying;
    m_blockCounter = BlockCount;
    m_readBack.clear();
    m_readBack.reserve(SettingsImage::Size);
    if (m_progress)
        m_progress->start(QStringLiteral("Идет проверка записи"), BlockCount);
    m_expectedReply = SetAddress(SettingsAddress);
    sendFrame(m_expectedReply);
}

// One reply of a read kept apart from the tables, as the check after a write and a
// comparison make it: true once the last block has come. A fault ends the transfer with
// `interrupted`, given the block and the count.
bool MemoryTransfer::keepReadBackBlock(const QByteArray &frame, MessageId interrupted)
{
    m_replyTimer.stop();
    const int block = currentBlock();
    if (block > 0) { // 0: the address echo, which carries no data
        if (!isWellFormedReadReply(frame, BlockSize)) {
            abort(message(interrupted).arg(block).arg(BlockCount), true);
            return false;
        }
        m_readBack += readReplyData(frame);
    }
    if (block < BlockCount) {
        if (m_progress && block > 0)
            m_progress->advance();
        --m_blockCounter;
        sendFrame(ReadMemory(BlockSize));
        return false;
    }
    if (m_progress)
        m_progress->finish();
    return true;
}

void MemoryTransfer::handleVerifyReply(const QByteArray &frame)
{
    if (!keepReadBackBlock(frame, MessageId::WrongPacketVerifying))
        return;
    reportVerification();
    m_image.clear();
    m_readBack.clear();
    sendWorkingMode(true);
}

// Differences by block, then in the configuration's words.
void MemoryTransfer::reportVerification()
{
    if (m_readBack == m_image) {
        m_outcome.verified = true;
        return;
    }
    constexpr int MostLines = 20;
    m_succeeded = false;
    m_outcome.end = TransferOutcome::End::VerifyDiffers;
    QString text = message(MessageId::VerifyDiffers)
                              .arg(differingBlocks(m_image, m_readBack).join(QStringLiteral(", ")))
                              .arg(BlockCount);
    QStringList differences = describeImageDifferences(m_image, m_readBack);
    if (differences.size() > MostLines) {
        const int more = int(differences.size()) - MostLines;
        differences = differences.mid(0, MostLines);
        differences << message(MessageId::MoreLines).arg(more);
    }
    if (!differences.isEmpty())
        text += QStringLiteral("\n") + differences.join(QLatin1Char('\n'));
    m_notifier.warning(text);
}

void MemoryTransfer::handleCompareReply(const QByteArray &frame)
{
    // The address echo starts the bar, as a read's does.
    if (currentBlock() == 0 && m_progress)
        m_progress->start(QStringLiteral("Идет сравнение с прибором"), BlockCount);
    if (!keepReadBackBlock(frame, MessageId::WrongPacketComparing))
        return;
    keepBackup(m_readBack, false);
    // Read as "what the panel holds → what the program has".
    QStringList differences;
    if (m_readBack != m_image) {
        differences = describeImageDifferences(m_readBack, m_image);
        if (differences.isEmpty()) {
            differences << QStringLiteral("Память прибора не читается как настройки. Отличаются блоки %1 из %2.")
                                   .arg(differingBlocks(m_readBack, m_image).join(QStringLiteral(", ")))
                                   .arg(BlockCount);
        }
    }
    m_image.clear();
    m_readBack.clear();
    m_mode = Mode::Idle;
    emit compared(differences);
    sendWorkingMode(true);
}

void MemoryTransfer::sendWorkingMode(bool reportSilence)
{
    // Whatever transfer came before is over; its last reply, if cut short, must not
    // swallow the echo.
    m_channel.discardPartialFrame();
    m_mode = Mode::AwaitingWorkingMode;
    m_reportWorkingModeSilence = reportSilence;
    m_expectedReply = WriteModeWork();
    sendFrame(m_expectedReply);
}

void MemoryTransfer::handleWorkingModeReply(const QByteArray &frame)
{
    settle();
    if (AnalizePasket(frame, m_expectedReply) != 0) {
        workingModeNotConfirmed();
        m_notifier.information(message(MessageId::WrongPacket));
    }
    emit finished(m_succeeded);
}

void MemoryTransfer::replyTimedOut()
{
    switch (m_mode) {
    case Mode::Idle:
        return;
    case Mode::Writing:
        abort(message(MessageId::NoAnswerWriting)
                      .arg(qMax(1, currentBlock()))
                      .arg(BlockCount),
              false);
        return;
    case Mode::Verifying:
        abort(message(MessageId::NoAnswerVerifying)
                      .arg(qMax(1, currentBlock()))
                      .arg(BlockCount),
              false);
        return;
    case Mode::Reading:
        abort(message(MessageId::NoAnswerReading)
                      .arg(qMax(1, currentBlock()))
                      .arg(BlockCount),
              false);
        return;
    case Mode::Comparing:
        abort(message(MessageId::NoAnswerComparing)
                      .arg(qMax(1, currentBlock()))
                      .arg(BlockCount),
              false);
        return;
    case Mode::AwaitingWorkingMode:
        settle();
        if (m_reportWorkingModeSilence) {
            workingModeNotConfirmed();
            m_notifier.warning(message(MessageId::WorkingModeNoAnswer));
        }
        emit finished(m_succeeded);
        return;
    }
}

void MemoryTransfer::handleLinkFailure(const QString &reason)
{
    if (m_mode == Mode::Idle)
        return;
    m_replyTimer.stop();
    if (!isTransferring()) {
        settle();
        workingModeNotConfirmed();
        m_notifier.warning(message(MessageId::LinkLost).arg(reason));
        emit finished(false);
        return;
    }
    const MessageId lost = m_mode == Mode::Writing     ? MessageId::LinkLostWriting
                         : m_mode == Mode::Verifying ? MessageId::LinkLostVerifying
                         : m_mode == Mode::Comparing ? MessageId::LinkLostComparing
                                                     : MessageId::LinkLostReading;
    abort(message(lost).arg(reason), false);
}

void MemoryTransfer::abort(const QString &message, bool panelAnswers, std::optional<int> stoppedAt)
{
    const bool verifying = m_mode == Mode::Verifying;
    m_outcome.end = verifying ? TransferOutcome::End::VerifyStopped : TransferOutcome::End::Stopped;
    m_outcome.block = qBound(0, stoppedAt.value_or(currentBlock()), BlockCount);
    stopBlockTransfer();
    m_blockCounter = 0;
    m_succeeded = false;
    // State first: a reply or timer that comes while the message is shown finds it settled.
    if (panelAnswers && m_channel.isOpen()) {
        sendWorkingMode(false);
        m_notifier.warning(message);
        return;
    }
    settle();
    m_notifier.warning(message);
    emit finished(false);
}

// Whatever came before went as told; only the last step is missing.
void MemoryTransfer::workingModeNotConfirmed()
{
    m_succeeded = false;
    if (m_outcome.end == TransferOutcome::End::Done)
        m_outcome.end = TransferOutcome::End::NoWorkingMode;
}

QString MemoryTransfer::transferPath() const
{
    return m_transferFile.isEmpty() ? TransferFile::location(QDir::currentPath())
                                    : QFileInfo(m_transferFile).absoluteFilePath();
}

void MemoryTransfer::endQuietly()
{
    stopBlockTransfer();
    m_blockCounter = 0;
    settle();
}

// The block transfer under way, if any, ends: its window closes and its file is let go.
void MemoryTransfer::stopBlockTransfer()
{
    m_replyTimer.stop();
    if (m_progress && isTransferring())
        m_progress->finish();
    closeTransferFile();
    m_image.clear();
}

// Nothing more is awaited; a reply cut short must not swallow the next command's echo.
void MemoryTransfer::settle()
{
    m_replyTimer.stop();
    m_cancelRequested = false;
    m_mode = Mode::Idle;
    m_channel.discardPartialFrame();
}

void MemoryTransfer::closeTransferFile()
{
    if (m_file.isOpen())
        m_file.close();
}
