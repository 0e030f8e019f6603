#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <ui/font/programfont.h>
#include <ui/language/qttranslation.h>
#include <ui/main/mainform.h>

int main(int argc, char *argv[])
{
    // Answered before the window system is reached: a terminal without a display asks too.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("Mirvane %s\n", MIRVANE_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    QApplication::setApplicationVersion(QStringLiteral(MIRVANE_VERSION));
    Q_INIT_RESOURCE(resources);
    installProgramFont();
    QtTranslation::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Настройка прибора «Ворсен-А»."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("ФАЙЛ.tab"), QStringLiteral("файл настроек, открываемый при запуске"),
                                 QStringLiteral("[ФАЙЛ.tab]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        parser.showHelp(2);

    TMainForm form;
    form.show();
    // Its messages are message boxes over the window, so the file opens once the window is up.
    if (!files.isEmpty())
        QTimer::singleShot(0, &form, [&form, name = files.first()] { form.openFileNamed(name); });
    return QApplication::exec();
}
