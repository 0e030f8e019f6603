#include <ui/font/programfont.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

using namespace Qt::StringLiterals;

namespace {

const QString Tahoma = u"Tahoma"_s;

bool coversCyrillic(const QString &family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic);
}

// The Wine faces are not in the system's font folders, so they are added by path.
bool loadCompatibleTahoma()
{
    const QStringList faces { u"/usr/share/wine/fonts/tahoma.ttf"_s, u"/usr/share/wine/fonts/tahomabd.ttf"_s };
    bool loaded = false;
    for (const QString &path : faces) {
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(Tahoma))
            loaded = true;
    }
    return loaded;
}

} // namespace

QString installProgramFont()
{
    const bool haveTahoma = (QFontDatabase::hasFamily(Tahoma) || loadCompatibleTahoma()) && coversCyrillic(Tahoma);
    QFont font(haveTahoma ? Tahoma : QString());
    if (!haveTahoma)
        font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    QApplication::setFont(font);
    return QFontInfo(font).family();
}
