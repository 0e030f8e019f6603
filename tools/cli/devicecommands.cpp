#include "devicecommands.h"

#include "stderrnotifier.h"

#include <exchange/devicesearch.h>
#include <exchange/memorytransfer.h>
#include <exchange/transferprogress.h>
#include <link/frametrace.h>
#include <link/packetchannel.h>
#include <link/qtseriallink.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <systemerror/systemerror.h>

#include <tools/common/terminationsignals.h>

#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTextStream>

#include <memory>
#include <optional>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitDifferent = 1;
constexpr int ExitFailure = 2;

// One line on stderr that counts the blocks.
class StderrProgress : public TransferProgress
{
public:
    void start(const QString &text, int maximum) override
    {
        m_text = text;
        m_maximum = maximum;
        m_position = 0;
        show();
    }
    void advance() override
    {
        ++m_position;
        if (m_position % 100 == 0)
            show();
    }
    void finish() override
    {
        if (m_text.isEmpty())
            return;
        show();
        QTextStream(stderr) << '\n';
        m_text.clear();
    }

private:
    void show() const
    {
        QTextStream(stderr) << '\r' << m_text << ": " << m_position << '/' << m_maximum << Qt::flush;
    }

    QString m_text;
    int m_maximum = 0;
    int m_position = 0;
};

// The trace the command line asked for, if any; a trace that cannot be written is told
// about and left out, as it must not stop the work it would describe.
std::unique_ptr<FrameTrace> traceOf(PacketChannel &channel, const DeviceCommands::Line &line,
                                    StderrNotifier &notifier)
{
    if (line.traceFile.isEmpty())
        return nullptr;
    auto trace = std::make_unique<FrameTrace>(channel, line.traceFile);
    if (!trace->isOpen()) {
        notifier.information(message(MessageId::TraceNotOpened)
                                     .arg(line.traceFile, trace->errorString()));
        return nullptr;
    }
    return trace;
}

// A transfer run to its end on a local event loop.
class Session
{
public:
    Session(const DeviceCommands::Line &line, StderrNotifier &notifier)
        : m_line(line),
          m_notifier(notifier),
          m_trace(traceOf(m_channel, line, notifier)),
          m_transfer(m_channel, m_config, notifier)
    {
        m_transfer.setProgress(&m_progress);
        m_transfer.setBackups(&m_backups);
        m_transfer.setVerifyAfterWrite(line.verify);
        m_transfer.setReplyTimeout(line.replyTimeout);
        m_transfer.setTransferFile(m_dir.filePath(QStringLiteral("temp.tab")));
    }

    Configuration &config() { return m_config; }
    MemoryTransfer &transfer() { return m_transfer; }
    const PortSettings &settings() const { return m_line.settings; }

    template<typename Start>
    bool run(Start start)
    {
        bool success = false;
        QEventLoop loop;
        QObject::connect(&m_transfer, &MemoryTransfer::finished, &loop, [&](bool ok) {
            success = ok;
            loop.quit();
        });
        // Ctrl+C ends the transfer as Esc does in the window; a second one does not wait
        // for the panel.
        TerminationSignals interrupts;
        QString error;
        bool cancelled = false;
        if (interrupts.install(&error)) {
            QObject::connect(&interrupts, &TerminationSignals::arrived, &loop, [&] {
                if (m_transfer.isTransferring() && !std::exchange(cancelled, true)) {
                    m_transfer.cancel();
                    return;
                }
                m_transfer.endQuietly();
                m_notifier.warning(message(MessageId::Interrupted));
                success = false;
                loop.quit();
            });
        }
        if (!start())
            return false;
        loop.exec();
        return success;
    }

private:
    const DeviceCommands::Line &m_line;
    StderrNotifier &m_notifier;
    QTemporaryDir m_dir;
    QtSerialLink m_link;
    PacketChannel m_channel { m_link };
    std::unique_ptr<FrameTrace> m_trace;
    Configuration m_config;
    StderrProgress m_progress;
    BackupStore m_backups { BackupStore::defaultFolder() };
    MemoryTransfer m_transfer;
};

bool copyFile(const QString &from, const QString &to, StderrNotifier &notifier)
{
    QFile source(from);
    QSaveFile target(to);
    int code = 0;
    QByteArray bytes;
    if (!SystemError::attempt(
                [&] {
                    if (!source.open(QIODevice::ReadOnly))
                        return false;
                    bytes = source.readAll();
                    return source.error() == QFileDevice::NoError;
                },
                code)) {
        notifier.warning(message(MessageId::CopyNotRead).arg(from, SystemError::describe(source, code)));
        return false;
    }
    if (!SystemError::attempt([&] { return target.open(QIODevice::WriteOnly); }, code)
        || !SystemError::attempt([&] { return target.write(bytes) == bytes.size(); }, code)
        || !SystemError::attempt([&] { return target.commit(); }, code)) {
        notifier.warning(message(MessageId::FileNotWritten).arg(to, SystemError::describe(target, code)));
        return false;
    }
    return true;
}

} // namespace

namespace DeviceCommands {

int read(const Line &line, const QString &outFile, StderrNotifier &notifier)
{
    Session session(line, notifier);
    bool loaded = false;
    QObject::connect(&session.transfer(), &MemoryTransfer::configurationLoaded, [&loaded] { loaded = true; });
    const bool ok = session.run([&] { return session.transfer().readFromPanel(session.settings()); });
    // The memory as read, byte for byte, once all of it came and could be shown.
    if (!loaded || !copyFile(session.transfer().transferFile(), outFile, notifier))
        return ExitFailure;
    return ok ? ExitSuccess : ExitFailure;
}

int write(const Line &line, const QString &inFile, StderrNotifier &notifier)
{
    Session session(line, notifier);
    if (!FileCommands(session.config(), notifier).openFile(inFile))
        return ExitFailure;
    return session.run([&] { return session.transfer().writeToPanel(session.settings()); }) ? ExitSuccess
                                                                                              : ExitFailure;
}

int compare(const Line &line, const QString &inFile, StderrNotifier &notifier)
{
    Session session(line, notifier);
    if (!FileCommands(session.config(), notifier).openFile(inFile))
        return ExitFailure;
    std::optional<QStringList> differences;
    QObject::connect(&session.transfer(), &MemoryTransfer::compared,
                     [&differences](const QStringList &lines) { differences = lines; });
    const bool ok = session.run([&] { return session.transfer().compareWithPanel(session.settings()); });
    if (!differences)
        return ExitFailure;
    QTextStream out(stdout);
    for (const QString &difference : std::as_const(*differences))
        out << difference << '\n';
    out.flush();
    if (!ok)
        return ExitFailure; // the panel was not told to go back to work
    return differences->isEmpty() ? ExitSuccess : ExitDifferent;
}

int workingMode(const Line &line, StderrNotifier &notifier)
{
    Session session(line, notifier);
    return session.run([&] { return session.transfer().switchToWorkingMode(session.settings()); })
            ? ExitSuccess
            : ExitFailure;
}

int search(const Line &line, const Search &search, StderrNotifier &notifier)
{
    Configuration config;
    FileCommands files(config, notifier);
    if (!files.openFile(search.inFile))
        return ExitFailure;
    if (!config.mtDev().locate(ModuleField::addr, search.module)) {
        notifier.warning(message(MessageId::NoSuchModule).arg(search.module));
        return ExitFailure;
    }
    config.changeSettings([&](SystemSettings &settings) { settings.edAddrKLM = search.technologicalAddress; });

    QtSerialLink link;
    PacketChannel channel(link);
    const std::unique_ptr<FrameTrace> trace = traceOf(channel, line, notifier);
    DeviceSearch deviceSearch(channel, config, notifier);
    notifier.answerYes(); // the command line asked for the search
    bool halted = false;
    QEventLoop loop;
    QObject::connect(&deviceSearch, &DeviceSearch::halted, &loop, [&] {
        halted = true;
        loop.quit();
    });
    QTimer::singleShot(search.seconds * 1000, &loop, &QEventLoop::quit);
    // Ctrl+C ends the search as the time running out does: what was found is kept.
    TerminationSignals interrupts;
    QString error;
    if (interrupts.install(&error))
        QObject::connect(&interrupts, &TerminationSignals::arrived, &loop, &QEventLoop::quit);
    if (!deviceSearch.start(line.settings, search.module, search.technologicalAddress))
        return ExitFailure;
    loop.exec();
    deviceSearch.stop();

    QTextStream out(stdout);
    const MemTable &found = config.mtSensorNew();
    out << QStringLiteral("Обнаружены новые устройства модуля: %1").arg(found.rowCount()) << '\n';
    for (int row = 0; row < found.rowCount(); ++row) {
        out << QStringLiteral("%1 (%2), версия %3, %4 год, месяц %5, серийный номер %6: %7")
                        .arg(found.rowValue(row, FoundField::name).toString())
                        .arg(found.rowValue(row, FoundField::id_sen).toInt())
                        .arg(found.rowValue(row, FoundField::ver).toInt())
                        .arg(found.rowValue(row, FoundField::year).toInt())
                        .arg(found.rowValue(row, FoundField::month).toInt())
                        .arg(found.rowValue(row, FoundField::snum).toString(),
                             found.rowValue(row, FoundField::note).toString())
            << '\n';
    }
    out.flush();
    files.buildImage();
    if (!files.saveFile(search.outFile))
        return ExitFailure;
    return halted ? ExitFailure : ExitSuccess;
}

} // namespace DeviceCommands
