#include <ui/main/mainform.h>

using namespace Qt::StringLiterals;

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(u"Mirvane программа для чтения, записи настроек прибора \"Ворсен-А\" "_s);
    // The page layouts are drawn for this exact client area.
    setFixedSize(874, 672);
}
