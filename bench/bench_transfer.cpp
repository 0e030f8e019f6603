// A full read and a full write against mirvane-panel over a pseudo-terminal, unpaced:
// what the program itself adds to the line time.

#include <exchange/memorytransfer.h>
#include <link/packetchannel.h>
#include <link/qtseriallink.h>
#include <model/configuration.h>
#include <model/notifier.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class PrintingNotifier : public Notifier
{
public:
    void information(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void warning(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool question(const QString &) override { return false; }
};

double secondsFor(MemoryTransfer &transfer, bool (MemoryTransfer::*command)(const PortSettings &),
                  const PortSettings &settings)
{
    QEventLoop loop;
    bool ok = false;
    const auto connection = QObject::connect(&transfer, &MemoryTransfer::finished, &loop, [&](bool success) {
        ok = success;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    if ((transfer.*command)(settings))
        loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QObject::disconnect(connection);
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QProcess panel;
    panel.start(QStringLiteral(MIRVANE_PANEL), {});
    if (!panel.waitForStarted() || !panel.waitForReadyRead(5000))
        return 1;
    PortSettings settings;
    settings.port = QString::fromLocal8Bit(panel.readLine()).trimmed();

    QTemporaryDir dir;
    QtSerialLink link;
    PacketChannel channel(link);
    Configuration config;
    PrintingNotifier notifier;
    MemoryTransfer transfer(channel, config, notifier);
    transfer.setTransferFile(dir.filePath(QStringLiteral("temp.tab")));

    constexpr int runs = 3;
    for (int run = 0; run < runs; ++run) {
        const double write = secondsFor(transfer, &MemoryTransfer::writeToPanel, settings);
        const double read = secondsFor(transfer, &MemoryTransfer::readFromPanel, settings);
        std::printf("run %d: full write %.3f s (%.1f us/block), full read %.3f s (%.1f us/block)\n", run + 1,
                    write, write / 1600 * 1e6, read, read / 1600 * 1e6);
    }
    // A write read back and compared: the line time roughly doubles, the program's share must not.
    transfer.setVerifyAfterWrite(true);
    for (int run = 0; run < runs; ++run) {
        const double verified = secondsFor(transfer, &MemoryTransfer::writeToPanel, settings);
        std::printf("run %d: verified write %.3f s\n", run + 1, verified);
    }
    panel.terminate();
    panel.waitForFinished();
    return 0;
}
