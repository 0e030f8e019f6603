#include <ui/controls/abutton.h>

#include <ui/controls/roundedpath.h>

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <utility>

namespace {

constexpr int FrameRadius = 5;
constexpr int ThinFrameAlpha = 200;
constexpr int GlowAlpha[] = { 20, 40, 80, 150, 255, 150, 80, 40, 20 }; // frames 1..9, outside in

QColor white(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

} // namespace

TAButton::TAButton(QWidget *parent) : QWidget(parent)
{
    resize(DefaultSide, DefaultSide);
    applyTransparency();
}

void TAButton::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void TAButton::setTrabsparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    applyTransparency();
    update();
}

void TAButton::applyTransparency()
{
    setAttribute(Qt::WA_NoSystemBackground, m_transparent);
    setAutoFillBackground(!m_transparent);
}

void TAButton::setGlow(bool glow)
{
    m_glow = glow;
    if (glow)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void TAButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    setGlow(true);
}

void TAButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setGlow(false);
}

void TAButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    event->accept();
}

void TAButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Not a new press: a double-click runs the command once, not twice.
    event->accept();
}

void TAButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool pressed = std::exchange(m_pressed, false);
    if (pressed && rect().contains(event->position().toPoint()))
        emit clicked();
}

// Blended at one opacity over the face colour, then drawn without every pixel of the colour
// in the blend's bottom-left corner: the picture's plain background drops out.
void TAButton::drawPicture(QPainter &painter, int opacity) const
{
    if (m_image.isNull())
        return;
    QImage working(m_image.size(), QImage::Format_RGB32);
    working.fill(palette().color(QPalette::Window));
    {
        QPainter blend(&working);
        blend.setOpacity(opacity / 255.0);
        blend.drawImage(0, 0, m_image);
    }
    const QRgb key = working.pixel(0, working.height() - 1);
    QPixmap keyed = QPixmap::fromImage(working);
    keyed.setMask(QBitmap::fromImage(working.createMaskFromColor(key, Qt::MaskInColor)));
    painter.drawPixmap(width() / 2 - m_image.width() / 2, height() / 2 - m_image.height() / 2, keyed);
}

void TAButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = width();
    const int h = height();
    const bool glowing = isEnabled() && m_glow;
    if (isEnabled())
        drawPicture(painter, glowing ? 255 : FadedOpacity);

    painter.translate(PixelCentre, PixelCentre);
    if (glowing) {
        for (int i = 1; i <= 9; ++i)
            outlinePath(painter, roundedPath(i, i, w - (i + 1), h - (i + 1), FrameRadius), white(GlowAlpha[i - 1]));
    } else {
        outlinePath(painter, roundedPath(5, 5, w - 6, h - 6, FrameRadius), white(ThinFrameAlpha));
    }
}
