#include "main/mainform.h"

#include <QApplication>
#include <QFont>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setFont(QFont(u"Tahoma"_s, 8));

    TMainForm form;
    form.show();
    return QApplication::exec();
}
