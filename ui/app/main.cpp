#include <QApplication>
#include <QFont>

#include <ui/main/mainform.h>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(u"Tahoma"_s, 8));

    TMainForm form;
    form.show();
    return QApplication::exec();
}
