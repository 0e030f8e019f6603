#include <QApplication>

#include <ui/font/programfont.h>
#include <ui/language/qttranslation.h>
#include <ui/main/mainform.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirvane"));
    Q_INIT_RESOURCE(resources);
    installProgramFont();
    QtTranslation::install();

    TMainForm form;
    form.show();
    return QApplication::exec();
}
