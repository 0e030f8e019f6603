#include <QApplication>

#include <ui/font/programfont.h>
#include <ui/main/mainform.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installProgramFont();

    TMainForm form;
    form.show();
    return QApplication::exec();
}
