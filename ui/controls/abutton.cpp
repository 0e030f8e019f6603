#include <ui/controls/abutton.h>

#include <ui/controls/roundedpath.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBitmap>
#include <QKeyEvent>
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

// A plain widget would be announced as a pane: this one is a push button with a press action.
class AButtonAccessible : public QAccessibleWidget
{
public:
    explicit AButtonAccessible(TAButton *button) : QAccessibleWidget(button, QAccessible::Button) { }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            static_cast<TAButton *>(widget())->click();
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *accessibleButton(const QString &, QObject *object)
{
    auto *button = qobject_cast<TAButton *>(object);
    return button ? new AButtonAccessible(button) : nullptr;
}

} // namespace

TAButton::TAButton(QWidget *parent) : QWidget(parent)
{
    [[maybe_unused]] static const bool accessible = (QAccessible::installFactory(&accessibleButton), true);
    resize(DefaultSide, DefaultSide);
    // Only Tab: a click leaves the focus in the grid, so that an edit under way is kept.
    setFocusPolicy(Qt::TabFocus);
    applyTransparency();
}

void TAButton::click()
{
    if (isEnabled())
        emit clicked();
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

// As a push button: Enter at once, Space on its release.
void TAButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            m_spacePressed = true;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            click();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TAButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (std::exchange(m_spacePressed, false))
        click();
}

void TAButton::focusOutEvent(QFocusEvent *event)
{
    m_spacePressed = false; // Space let go elsewhere presses nothing
    QWidget::focusOutEvent(event);
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
    if (hasFocus()) {
        // Dotted, at the edge: outside the glow frames and the picture, which keep their look.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0, 0, w - 1, h - 1));
    }
}
