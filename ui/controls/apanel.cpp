#include <ui/controls/apanel.h>

#include <ui/controls/roundedpath.h>

#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>

#include <initializer_list>

namespace {

// A colour property is 24 bits: any alpha it came with is dropped.
QColor rgb(const QColor &colour)
{
    return QColor(colour.red(), colour.green(), colour.blue());
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

struct Blend
{
    qreal position;
    qreal factor; // 0 gives the first colour, 1 the second
};

// From the first point's colour to the second's, reshaped by the blend list, tiled beyond
// the two points.
QLinearGradient gradient(QPointF from, QPointF to, const QColor &first, const QColor &second,
                         std::initializer_list<Blend> blends = { { 0, 0 }, { 1, 1 } })
{
    QLinearGradient result(from, to);
    for (const Blend &blend : blends) {
        const auto mix = [&](int a, int b) { return qRound(a + blend.factor * (b - a)); };
        result.setColorAt(blend.position,
                          QColor(mix(first.red(), second.red()), mix(first.green(), second.green()),
                                 mix(first.blue(), second.blue()), mix(first.alpha(), second.alpha())));
    }
    result.setSpread(QGradient::RepeatSpread);
    return result;
}

} // namespace

TAPanel::TAPanel(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(MinimumSide, MinimumSide);
    setGeometry(0, 0, parent ? qMax(parent->width(), int(MinimumSide)) : 200, DefaultHeight);
    // Every pixel comes from the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TAPanel::setBackGround(const QColor &colour)
{
    m_backGround = rgb(colour);
    update();
}

void TAPanel::setBorderColor(const QColor &colour)
{
    m_borderColor = rgb(colour);
    update();
}

void TAPanel::setGlowColor(const QColor &colour)
{
    m_glowColor = rgb(colour);
    update();
}

void TAPanel::setRound(int radius)
{
    m_round = radius;
    update();
}

QImage TAPanel::rendered(qreal devicePixelRatio) const
{
    const int w = width();
    const int h = height();
    const int r = m_round;
    const QColor &g = m_glowColor;

    QImage image(QSize(w, h) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(rgb(palette().color(QPalette::Window)));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(PixelCentre, PixelCentre);

    painter.fillPath(roundedPath(0, 0, w - 1, h, r), m_backGround);

    // Centre glow: clear at both ends, strongest in the middle.
    painter.fillPath(roundedPath(w / 4, 0, w - w / 4, h - 1),
                     gradient(QPointF(w / 4, 0), QPointF(w - w / 4, 0), withAlpha(g, 0), withAlpha(g, 100),
                              { { 0, 0 }, { 0.5, 1 }, { 1, 0 } }));

    // Upper gloss.
    painter.fillPath(roundedPath(0, 0, w - 1, h / 2 - 1, { r, r, 0, 0 }),
                     gradient(QPointF(0, 0), QPointF(0, h / 2), withAlpha(g, 100), withAlpha(g, 50)));

    // Lower band: it lies past the gradient's second point, so it shows the gradient
    // tiled, rising again from clear.
    painter.fillPath(roundedPath(0, h - h / 3 + 1, w - 1, h, { 0, 0, r, r }),
                     gradient(QPointF(0, 0), QPointF(0, h - h / 3), withAlpha(g, 0), withAlpha(g, 255)));

    outlinePath(painter, roundedPath(0, 0, w - 1, h - 1, r), m_borderColor);
    return image;
}

void TAPanel::paintEvent(QPaintEvent *)
{
    const QImage image = rendered(devicePixelRatioF());
    QPainter(this).drawImage(0, 0, image);
}

void TAPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The minimum size sees to this, unless an owner lowers it.
    const QSize raised = event->size().expandedTo(QSize(MinimumSide, MinimumSide));
    if (raised != event->size())
        resize(raised);
}
