#include <ui/about/svgimage.h>

#include <QFile>
#include <QMouseEvent>
#include <QPainter>

SvgImage::SvgImage(const QString &fileName, QWidget *parent) : QWidget(parent)
{
    // Checked first: the renderer warns about a file it cannot open.
    if (QFile::exists(fileName))
        m_renderer.load(fileName);
}

void SvgImage::paintEvent(QPaintEvent *)
{
    if (!m_renderer.isValid())
        return;
    QPainter painter(this);
    m_renderer.render(&painter, rect());
}

void SvgImage::mousePressEvent(QMouseEvent *event)
{
    event->accept(); // so the release comes here too
}

void SvgImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        emit mouseUp(event->button());
}
