// Writes pictures of the program's windows, as a reviewer would look at them:
// mirvane-snap OUTDIR [FILE.tab]

#include <exchange/devicesearch.h>
#include <help/manualcheck.h>
#include <link/packetchannel.h>
#include <link/qtseriallink.h>
#include <messages/messages.h>
#include <model/configurationdiff.h>
#include <model/notifier.h>
#include <model/zonemembership.h>
#include <storage/backupstore.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <ui/about/aboutform.h>
#include <ui/backups/backupsform.h>
#include <ui/comparison/comparisonform.h>
#include <ui/controls/abutton.h>
#include <ui/font/programfont.h>
#include <ui/help/helpwindow.h>
#include <ui/language/qttranslation.h>
#include <ui/main/mainform.h>
#include <ui/newsensor/newsensorform.h>
#include <ui/progress/progressform.h>
#include <ui/progress/progresswindow.h>
#include <ui/setup/setupdialog.h>
#include <ui/return/returnform.h>
#include <ui/zone/zoneform.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>

namespace {

bool save(const QPixmap &picture, const QDir &folder, const QString &name)
{
    const QString path = folder.filePath(name);
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "mirvane-snap: cannot write %s\n", qPrintable(path));
    return false;
}

// Shows a window long enough for it to be laid out and painted, then takes it.
QPixmap snapshot(QWidget &window)
{
    window.show();
    QApplication::processEvents();
    window.repaint();
    return window.grab();
}

// Answers yes to the search's warning and keeps the rest to itself.
class SearchNotifier : public Notifier
{
public:
    void information(const QString &text) override { std::fprintf(stderr, "mirvane-snap: %s\n", qPrintable(text)); }
    void warning(const QString &text) override { information(text); }
    bool question(const QString &) override { return true; }
};

// A window the program opens modally and waits on: taken once it is up, then closed.
bool snapModal(const QDir &folder, const QString &name, const std::function<void()> &open)
{
    bool saved = false;
    // Ours alone: a window that never opened leaves no timer to close the next one.
    QTimer taking;
    taking.setSingleShot(true);
    QObject::connect(&taking, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            saved = save(snapshot(*modal), folder, name);
            modal->close();
        }
    });
    taking.start(300);
    open();
    if (!saved)
        std::fprintf(stderr, "mirvane-snap: no window for %s\n", qPrintable(name));
    return saved;
}

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The new-device window with what a search of module 1 finds on mirvane-panel's loop:
// two detectors and an address tag. Skipped where the virtual panel is not built.
bool snapNewDevices(TMainForm &form, const QDir &folder)
{
    const QString panelProgram = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("mirvane-panel"));
    if (!QFileInfo(panelProgram).isExecutable()) {
        std::fprintf(stderr, "mirvane-snap: no mirvane-panel, so no new-device window\n");
        return true;
    }
    QTemporaryDir dir;
    QFile scenario(dir.filePath(QStringLiteral("loop.json")));
    if (!scenario.open(QIODevice::WriteOnly)
        || scenario.write(R"({"klm": 1, "devices": [
            {"type": 1, "version": 18, "year": 24, "month": 3, "serial": 4660},
            {"type": 2, "version": 18, "year": 24, "month": 5, "serial": 4661},
            {"type": 7, "version": 1, "year": 23, "month": 11, "serial": 513, "kind": 49}]})")
                < 0)
        return false;
    scenario.close();
    QProcess panel;
    panel.start(panelProgram, { QStringLiteral("--scenario"), scenario.fileName() });
    if (!panel.waitForStarted() || !panel.waitForReadyRead(5000))
        return false;
    PortSettings settings;
    settings.port = QString::fromLocal8Bit(panel.readLine()).trimmed();

    Configuration &config = form.configuration();
    QtSerialLink link;
    PacketChannel channel(link);
    SearchNotifier notifier;
    DeviceSearch search(channel, config, notifier);
    config.mtDev().locate(ModuleField::addr, 1);
    if (!search.start(settings, 1, QStringLiteral("1")))
        return false;
    TNewSensorForm window(config, &form);
    window.show();
    wait(3000); // the three devices, their addresses and answers
    const bool saved = save(snapshot(window), folder, QStringLiteral("newsensor.png"));
    search.stop();
    channel.close(); // before the panel frees its pseudo-terminal
    panel.terminate();
    panel.waitForFinished();
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    Q_INIT_RESOURCE(resources);
    installProgramFont();
    QtTranslation::install(); // the windows as the program shows them

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() > 2) {
        std::fprintf(stderr, "usage: mirvane-snap OUTDIR [FILE.tab]\n");
        return 2;
    }
    const QDir folder(arguments.at(0));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "mirvane-snap: cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }

    TMainForm form;
    MessageBoxNotifier notifier(&form);
    FileCommands files(form.configuration(), notifier);
    // The given file, or the factory configuration the program ships.
    const QString file = arguments.size() == 2 ? arguments.at(1)
                                               : FileCommands::factoryFilePath(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(file) || !files.openFile(file)) {
        std::fprintf(stderr, "mirvane-snap: cannot open %s\n", qPrintable(file));
        return 1;
    }
    form.PageControlChange(); // as the open command does
    bool ok = true;
    snapshot(form);
    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        ok = save(snapshot(form), folder, QStringLiteral("page-%1.png").arg(page)) && ok;
    }
    pages->setCurrentIndex(0);

    // The tool bar with its first button lit, as under the mouse.
    auto *toolBar = form.findChild<QWidget *>(QStringLiteral("APanel1"));
    auto *button = form.findChild<TAButton *>(QStringLiteral("AButton1"));
    QEnterEvent enter(QPointF(32, 32), QPointF(32, 32), button->mapToGlobal(QPointF(32, 32)));
    QApplication::sendEvent(button, &enter);
    ok = save(snapshot(*toolBar), folder, QStringLiteral("toolbar.png")) && ok;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);

    {
        TAboutForm about(&form);
        ok = save(snapshot(about), folder, QStringLiteral("about.png")) && ok;
    }
    {
        SetupDialog setup(form.portSettings(), &form);
        ok = save(snapshot(setup), folder, QStringLiteral("setup.png")) && ok;
    }
    {
        ProgressWindow progress(&form, [](const QString &) { });
        qint64 now = 0; // a write at 9600 baud, whatever the machine
        progress.setClock([&now] { return now; });
        progress.start(QStringLiteral("Идет запись в прибор"), 1600);
        for (int block = 0; block < 800; ++block) {
            now += 131;
            progress.advance();
        }
        // The bar shows the position a moment later.
        QEventLoop frame;
        QTimer::singleShot(200, &frame, &QEventLoop::quit);
        frame.exec();
        if (TProgressForm *window = progress.form())
            ok = save(snapshot(*window), folder, QStringLiteral("progress.png")) && ok;
        progress.finish();
    }
    // The zone dialogs for zone 1 (7 when the file names it), as the zones page opens them.
    Configuration &config = form.configuration();
    config.mtArea().locate(ZoneField::id, config.mtArea().locate(ZoneField::id, 7) ? 7 : 1);
    {
        ZoneDevices devices(config);
        devices.prepare();
        TZoneForm dialog(config, devices, &form);
        ok = save(snapshot(dialog), folder, QStringLiteral("zone.png")) && ok;
    }
    {
        ZoneOutputs outputs(config);
        outputs.prepare();
        TReturnForm dialog(config, outputs, &form);
        ok = save(snapshot(dialog), folder, QStringLiteral("return.png")) && ok;
    }
    ok = snapNewDevices(form, folder) && ok;
    {
        // Two copies, as a read and a write leave them, at a time and in a folder that stay the
        // same from one run to the next, so that the picture changes only with the window.
        QDir kept(QDir::temp().filePath(QStringLiteral("mirvane-snap/backups")));
        kept.removeRecursively();
        const auto removeKept = qScopeGuard([&kept] { kept.removeRecursively(); });
        BackupStore store(kept.path());
        QString error;
        const QDateTime when(QDate(2026, 3, 2), QTime(14, 30));
        store.keep(config.image().Bytes(), BackupStore::Direction::Read, when.addSecs(-300), &error);
        store.keep(config.image().Bytes(), BackupStore::Direction::Written, when, &error);
        TBackupsForm backups(store, &form);
        ok = save(snapshot(backups), folder, QStringLiteral("backups.png")) && ok;
    }
    {
        // As though the panel held another zone name and registration number.
        Configuration panel;
        SearchNotifier told;
        FileCommands(panel, told).openFile(file);
        panel.mtArea().locate(QStringLiteral("id"), 1);
        panel.mtArea().setValue(QStringLiteral("name"), QStringLiteral("КОТЕЛЬНАЯ"));
        panel.changeSettings([](SystemSettings &s) { s.edNumReg1 = QStringLiteral("4321"); });
        ImageBuilder::build(panel);
        TComparisonForm comparison(describeDifferences(panel, config), &form);
        ok = save(snapshot(comparison), folder, QStringLiteral("comparison.png")) && ok;
    }
    ok = snapModal(folder, QStringLiteral("find.png"),
                   [&form] { form.findChild<QAction *>(QStringLiteral("Find"))->trigger(); })
         && ok;
    ok = snapModal(folder, QStringLiteral("message.png"),
                   [&notifier] { notifier.information(message(MessageId::NoFactoryFile)); })
         && ok;
    {
        HelpWindow help(&form);
        help.openAt(ManualCheck::contentsId());
        ok = save(snapshot(help), folder, QStringLiteral("help.png")) && ok;
    }
    return ok ? 0 : 1;
}
