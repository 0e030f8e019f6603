#include <ui/controls/apanel.h>

#include <ui/controls/roundedpath.h>

#include <QLinearGradient>
#include <QPainter>

namespace {

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

} // namespace

TAPanel::TAPanel(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(MinimumSide, MinimumSide);
    resize(parent ? parent->width() : 200, DefaultHeight);
    // Every pixel is painted from the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TAPanel::setBackGround(const QColor &colour)
{
    m_backGround = colour;
    update();
}

void TAPanel::setBorderColor(const QColor &colour)
{
    m_borderColor = colour;
    update();
}

void TAPanel::setGlowColor(const QColor &colour)
{
    m_glowColor = colour;
    update();
}

void TAPanel::setRound(int radius)
{
    m_round = radius;
    update();
}

QImage TAPanel::rendered() const
{
    const int w = width();
    const int h = height();
    const int r = m_round;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(PixelCentre, PixelCentre);
    painter.setPen(Qt::NoPen);

    painter.fillPath(roundedPath(0, 0, w - 1, h, r), m_backGround);

    // Centre glow: clear at both ends, alpha 100 in the middle.
    QLinearGradient centre(w / 4, 0, w - w / 4, 0);
    centre.setColorAt(0, withAlpha(m_glowColor, 0));
    centre.setColorAt(0.5, withAlpha(m_glowColor, 100));
    centre.setColorAt(1, withAlpha(m_glowColor, 0));
    centre.setSpread(QGradient::RepeatSpread);
    painter.fillPath(roundedPath(w / 4, 0, w - w / 4, h - 1), centre);

    QLinearGradient gloss(0, 0, 0, h / 2);
    gloss.setColorAt(0, withAlpha(m_glowColor, 100));
    gloss.setColorAt(1, withAlpha(m_glowColor, 50));
    gloss.setSpread(QGradient::RepeatSpread);
    painter.fillPath(roundedPath(0, 0, w - 1, h / 2 - 1, { r, r, 0, 0 }), gloss);

    // The band lies past the gradient's end, where it starts again from clear.
    QLinearGradient band(0, 0, 0, h - h / 3);
    band.setColorAt(0, withAlpha(m_glowColor, 0));
    band.setColorAt(1, withAlpha(m_glowColor, 255));
    band.setSpread(QGradient::RepeatSpread);
    painter.fillPath(roundedPath(0, h - h / 3 + 1, w - 1, h, { 0, 0, r, r }), band);

    painter.setPen(QPen(m_borderColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedPath(0, 0, w - 1, h - 1, r));
    return image;
}

void TAPanel::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, rendered());
}
