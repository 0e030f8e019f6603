#include <ui/about/aboutform.h>

#include <ui/about/svgimage.h>

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

const QColor Maroon(128, 0, 0);

QLabel *addLabel(QWidget *parent, const QString &name, const QString &text, const QPoint &at,
                 const QSize &size, int pixelSize, bool bold)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font(u"Times New Roman"_s);
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Maroon);
    label->setPalette(palette);
    // Part of the picture: a click on the text is a click on the picture.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Grows like a self-sizing label where a stand-in face is wider than Times New Roman.
    label->setGeometry(QRect(at, label->sizeHint().expandedTo(size)));
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(u"AboutForm"_s);
    setWindowTitle(u"Mirvane программа для чтения, записи настроек прибора"_s);
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);

    const QString product = u"\"Ворсен-Адрес\""_s;
    auto *image = new SvgImage(QString::fromLatin1(PictureFile), this);
    image->setObjectName(u"Image"_s);
    image->setGeometry(rect());
    image->setAccessibleName(product);
    connect(image, &SvgImage::mouseUp, this, &TAboutForm::ImageMouseUp);

    addLabel(this, u"Label1"_s, product, QPoint(104, 69), QSize(144, 24), 21, true);
    addLabel(this, u"Label3"_s, u"Версия 1.0.00"_s, QPoint(199, 284), QSize(73, 15), 13, false);
}

void TAboutForm::ImageMouseUp()
{
    close();
}
