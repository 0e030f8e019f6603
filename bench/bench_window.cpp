// The main window's own costs, run by hand:
//   bench_window startup    starts the program as it starts for a user and ends once its
//                           window has been painted; time the whole process from outside.
//   bench_window transfer   full writes and reads through the window against mirvane-panel,
//                           each beside the same transfer without a window.
//   bench_window pages      opening the largest configuration until the page shown is
//                           painted, then switching through every page, each painted.
//   bench_window progress   full unpaced writes and reads against mirvane-panel, each with
//                           the progress window shown and updated, beside the same transfer
//                           with no window: what the window's updates cost.
//   bench_window help       the manual opened from the menu, its window made and painted,
//                           then at the section of every window F1 knows, painted.

#include "maximalconfiguration.h"

#include <exchange/memorytransfer.h>
#include <link/packetchannel.h>
#include <link/portsettingsstore.h>
#include <link/qtseriallink.h>
#include <model/configuration.h>
#include <model/notifier.h>
#include <storage/filecommands.h>
#include <help/helptopics.h>
#include <ui/font/programfont.h>
#include <ui/help/helpwindow.h>
#include <ui/main/mainform.h>
#include <ui/progress/progressform.h>
#include <ui/progress/progresswindow.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <memory>
#include <cstdio>
#include <vector>

// Outside any namespace: the macro declares the resource's own initialiser.
static void initialiseResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// Ends the program on the turn after the window's first paint: the window and all its
// children are painted and flushed in one pass.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer &clock) : m_clock(clock) { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [this] {
                std::printf("first paint after %.1f ms in the process\n", double(m_clock.nsecsElapsed()) / 1e6);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_clock;
    bool m_seen = false;
};

int startup(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    initialiseResources();
    installProgramFont();

    TMainForm form;
    FirstPaint firstPaint(clock);
    form.installEventFilter(&firstPaint);
    form.show();
    return QApplication::exec();
}

class SilentNotifier : public Notifier
{
public:
    void information(const QString &) override { }
    void warning(const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool question(const QString &) override { return false; }
};

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double secondsFor(MemoryTransfer &transfer, const std::function<void()> &start)
{
    QEventLoop loop;
    bool ok = false;
    bool done = false;
    const auto connection = QObject::connect(&transfer, &MemoryTransfer::finished, &loop, [&](bool success) {
        ok = success;
        done = true;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    start();
    if (!done)
        loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QObject::disconnect(connection);
    return ok ? seconds : -1;
}

int transfers(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    initialiseResources();
    installProgramFont();

    // Each side keeps its port open, so each gets its own panel.
    QProcess windowPanel;
    QProcess barePanel;
    PortSettings settings;
    PortSettings bareSettings;
    for (auto [panel, portSettings] : { std::pair { &windowPanel, &settings }, std::pair { &barePanel, &bareSettings } }) {
        panel->start(QStringLiteral(MIRVANE_PANEL), {});
        if (!panel->waitForStarted() || !panel->waitForReadyRead(5000))
            return 1;
        portSettings->port = QString::fromLocal8Bit(panel->readLine()).trimmed();
    }

    QTemporaryDir dir;
    QDir::setCurrent(dir.path()); // the transfer file goes there
    const QString portFile = dir.filePath(QStringLiteral("port.ini"));
    QString error;
    if (!PortSettingsStore(portFile).StoreSettings(settings, &error))
        return 1;
    TMainForm form({ dir.path(), portFile, dir.filePath(QStringLiteral("backups")) });
    form.show();
    // The dialog is the user's to answer; here the stored settings are taken as they are.
    QTimer::singleShot(0, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    form.COM1Click();

    QtSerialLink link;
    PacketChannel channel(link);
    Configuration config;
    SilentNotifier notifier;
    MemoryTransfer bare(channel, config, notifier);
    bare.setTransferFile(dir.filePath(QStringLiteral("bare.tab")));

    // Paired runs, so a drift of the machine's speed touches both sides alike.
    constexpr int runs = 11;
    std::vector<double> writeShares;
    std::vector<double> readShares;
    for (int run = 0; run < runs; ++run) {
        const double windowWrite = secondsFor(form.transfer(), [&] { form.N8Click(); });
        const double bareWrite = secondsFor(bare, [&] { bare.writeToPanel(bareSettings); });
        const double windowRead = secondsFor(form.transfer(), [&] { form.N9Click(); });
        const double bareRead = secondsFor(bare, [&] { bare.readFromPanel(bareSettings); });
        if (windowWrite < 0 || bareWrite < 0 || windowRead < 0 || bareRead < 0)
            return 1;
        writeShares.push_back(windowWrite / bareWrite - 1);
        readShares.push_back(windowRead / bareRead - 1);
        std::printf("run %d: write %.3f s window / %.3f s bare (%+.1f %%), read %.3f s window / %.3f s bare "
                    "(%+.1f %%)\n",
                    run + 1, windowWrite, bareWrite, writeShares.back() * 100, windowRead, bareRead,
                    readShares.back() * 100);
    }
    std::printf("median share of the window: write %+.1f %%, read %+.1f %%\n", median(writeShares) * 100,
                median(readShares) * 100);
    for (QProcess *panel : { &windowPanel, &barePanel }) {
        panel->terminate();
        panel->waitForFinished();
    }
    return 0;
}

bool startPanel(QProcess &panel, PortSettings &settings)
{
    panel.start(QStringLiteral(MIRVANE_PANEL), {});
    if (!panel.waitForStarted() || !panel.waitForReadyRead(5000))
        return false;
    settings.port = QString::fromLocal8Bit(panel.readLine()).trimmed();
    return true;
}

// Wall and processor time of one transfer; the processor time is this process's alone,
// all its threads, so a busy machine touches it less than the wall time.
struct Cost
{
    double wall = -1;
    double processor = 0;
};

Cost costOf(MemoryTransfer &transfer, const std::function<void()> &start)
{
    const std::clock_t before = std::clock();
    const double wall = secondsFor(transfer, start);
    return { wall, double(std::clock() - before) / CLOCKS_PER_SEC };
}

// The window shown and closed as a transfer does, but never updated: what showing it
// costs, apart from what its updates cost.
class ShownOnly : public TransferProgress
{
public:
    explicit ShownOnly(TransferProgress &window) : m_window(window) { }
    void start(const QString &text, int maximum) override { m_window.start(text, maximum); }
    void advance() override { }
    void finish() override { m_window.finish(); }

private:
    TransferProgress &m_window;
};

// One side of the comparison: its own panel, port and transfer.
struct Side
{
    explicit Side(const QString &transferFile) { transfer.setTransferFile(transferFile); }

    QProcess panel;
    PortSettings settings;
    QtSerialLink link;
    PacketChannel channel { link };
    Configuration config; // what is written costs the same whatever it holds
    SilentNotifier notifier;
    MemoryTransfer transfer { channel, config, notifier };
};

int progressWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    installProgramFont();

    QTemporaryDir dir;
    enum { Updated, Shown, Bare, Sides };
    const char *const names[Sides] = { "window updated", "window shown, not updated", "no window" };
    std::vector<std::unique_ptr<Side>> sides;
    for (int side = 0; side < Sides; ++side) {
        sides.push_back(std::make_unique<Side>(dir.filePath(QStringLiteral("side%1.tab").arg(side))));
        if (!startPanel(sides.back()->panel, sides.back()->settings))
            return 1;
    }
    QString status;
    ProgressWindow updatedWindow(nullptr, [&status](const QString &text) { status = text; });
    ProgressWindow shownWindow(nullptr, [&status](const QString &text) { status = text; });
    ShownOnly shownOnly(shownWindow);
    sides[Updated]->transfer.setProgress(&updatedWindow);
    sides[Shown]->transfer.setProgress(&shownOnly);

    // Rounds of all three, each round in another order, so that a drift of the machine's
    // speed touches every side alike; the shares are taken within a round. The first round
    // only warms up.
    constexpr int rounds = 100;
    std::vector<double> wall[2][Sides];
    std::vector<double> processor[2][Sides];
    std::vector<double> updateShares[2];
    std::vector<double> updateProcessorShares[2];
    std::vector<double> windowShares[2];
    std::vector<double> windowProcessorShares[2];
    for (int round = 0; round <= rounds; ++round) {
        for (const bool write : { true, false }) {
            Cost costs[Sides];
            for (int i = 0; i < Sides; ++i) {
                const int side = (round + i) % Sides;
                Side &s = *sides[side];
                costs[side] = costOf(s.transfer, [&] {
                    if (write)
                        s.transfer.writeToPanel(s.settings);
                    else
                        s.transfer.readFromPanel(s.settings);
                });
                if (costs[side].wall < 0)
                    return 1;
            }
            if (round == 0)
                continue;
            for (int side = 0; side < Sides; ++side) {
                wall[write][side].push_back(costs[side].wall);
                processor[write][side].push_back(costs[side].processor);
            }
            updateShares[write].push_back((costs[Updated].wall - costs[Shown].wall) / costs[Bare].wall);
            updateProcessorShares[write].push_back((costs[Updated].processor - costs[Shown].processor)
                                                   / costs[Bare].processor);
            windowShares[write].push_back(costs[Updated].wall / costs[Bare].wall - 1);
            windowProcessorShares[write].push_back(costs[Updated].processor / costs[Bare].processor - 1);
        }
    }
    for (const bool write : { true, false }) {
        std::printf("%s, %d rounds:\n", write ? "full writes" : "full reads", rounds);
        for (int side = 0; side < Sides; ++side)
            std::printf("  %-26s median %.1f ms (processor %.1f ms)\n", names[side], median(wall[write][side]) * 1e3,
                        median(processor[write][side]) * 1e3);
        std::printf("  the window's updates: median %+.1f %% of the time, %+.1f %% of the processor\n",
                    median(updateShares[write]) * 100, median(updateProcessorShares[write]) * 100);
        std::printf("  the window, shown and updated: median %+.1f %% of the time, %+.1f %% of the processor\n",
                    median(windowShares[write]) * 100, median(windowProcessorShares[write]) * 100);
    }
    // One update alone: the processor time of the window's showing a new position, its
    // paint and flush included, with no transfer around it.
    {
        ProgressWindow window(nullptr, [](const QString &) { });
        window.start(QStringLiteral("Идет чтение из прибора"), 1600);
        QEventLoop settle; // shown and painted
        QTimer::singleShot(200, &settle, &QEventLoop::quit);
        settle.exec();
        TProgressForm *form = window.form();
        QWidget *bar = form->findChild<QProgressBar *>();
        QWidget *block = form->findChild<QWidget *>(QStringLiteral("lbBlock"));
        constexpr int updates = 400;
        const std::clock_t before = std::clock();
        for (int update = 0; update < updates; ++update) {
            for (int step = 0; step < 4; ++step)
                window.advance();
            // What the refresh timer does, then the paint and flush of what it changed.
            form->setMaximum(form->maximum());
            bar->repaint();
            block->repaint();
        }
        const double each = double(std::clock() - before) / CLOCKS_PER_SEC / updates;
        std::printf("one update of the window, alone: %.2f ms of the processor\n", each * 1e3);
        window.finish();
    }
    for (const std::unique_ptr<Side> &side : sides) {
        side->panel.terminate();
        side->panel.waitForFinished();
    }
    return 0;
}

double millisecondsSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

int pages(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    initialiseResources();
    installProgramFont();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("maximal.tab"));
    SilentNotifier notifier;
    if (!saveMaximalFile(path))
        return 1;

    TMainForm form(
            { dir.path(), dir.filePath(QStringLiteral("port.ini")), dir.filePath(QStringLiteral("backups")) });
    form.show();
    QApplication::processEvents();
    auto *tabs = form.findChild<QTabWidget *>(QStringLiteral("PageControl"));
    FileCommands files(form.configuration(), notifier);

    constexpr int runs = 7;
    std::vector<double> opens;
    std::vector<std::vector<double>> switches(tabs->count());
    for (int run = 0; run < runs; ++run) {
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        // As the open command does once its dialog has closed; painted before it returns.
        QElapsedTimer timer;
        timer.start();
        if (!files.openFile(path))
            return 1;
        form.PageControlChange();
        form.repaint();
        opens.push_back(millisecondsSince(timer));
        for (int page = 1; page <= tabs->count(); ++page) {
            const int index = page % tabs->count();
            timer.start();
            tabs->setCurrentIndex(index);
            form.repaint();
            switches[index].push_back(millisecondsSince(timer));
        }
    }
    std::printf("open the largest configuration, page painted: median %.1f ms over %d runs\n", median(opens), runs);
    for (int index = 0; index < tabs->count(); ++index)
        std::printf("switch to \"%s\", painted: median %.1f ms\n", qPrintable(tabs->tabText(index)),
                    median(switches[index]));
    return 0;
}

int help(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    initialiseResources();
    installProgramFont();

    QTemporaryDir dir;
    constexpr int runs = 7;
    std::vector<double> firsts;
    std::vector<double> sections;
    for (int run = 0; run < runs; ++run) {
        TMainForm form(
                { dir.path(), dir.filePath(QStringLiteral("port.ini")), dir.filePath(QStringLiteral("backups")) });
        form.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        form.findChild<QAction *>(QStringLiteral("Manual"))->trigger();
        auto *window = form.findChild<HelpWindow *>();
        if (!window)
            return 1;
        window->repaint();
        firsts.push_back(millisecondsSince(timer));
        for (const HelpTopic &topic : HelpTopics::all()) {
            timer.start();
            window->openAt(topic.section);
            window->repaint();
            sections.push_back(millisecondsSince(timer));
        }
    }
    std::printf("manual opened from the menu, window made and painted: median %.1f ms over %d runs\n",
                median(firsts), runs);
    std::printf("manual moved to a window's section, painted: median %.1f ms, slowest %.1f ms\n", median(sections),
                *std::max_element(sections.cbegin(), sections.cend()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "startup")
        return startup(argc, argv);
    if (mode == "transfer")
        return transfers(argc, argv);
    if (mode == "pages")
        return pages(argc, argv);
    if (mode == "progress")
        return progressWindow(argc, argv);
    if (mode == "help")
        return help(argc, argv);
    std::fprintf(stderr, "usage: bench_window startup|transfer|pages|progress|help\n");
    return 2;
}
