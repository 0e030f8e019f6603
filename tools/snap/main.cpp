// Writes pictures of the program's windows, as a reviewer would look at them:
// mirvane-snap OUTDIR [FILE.tab]

#include <storage/filecommands.h>
#include <ui/about/aboutform.h>
#include <ui/controls/abutton.h>
#include <ui/font/programfont.h>
#include <ui/main/mainform.h>
#include <ui/progress/progressform.h>
#include <ui/progress/progresswindow.h>
#include <ui/setup/setupdialog.h>

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    Q_INIT_RESOURCE(resources);
    installProgramFont();

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
        progress.start(QStringLiteral("Идет запись в прибор"), 1600);
        for (int block = 0; block < 800; ++block)
            progress.advance();
        // The bar shows the position a frame later.
        QEventLoop frame;
        QTimer::singleShot(100, &frame, &QEventLoop::quit);
        frame.exec();
        if (TProgressForm *window = progress.form())
            ok = save(snapshot(*window), folder, QStringLiteral("progress.png")) && ok;
        progress.finish();
    }
    return ok ? 0 : 1;
}
