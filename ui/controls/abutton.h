#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// A square picture button of the tool bar: the picture faded while the mouse is elsewhere,
// at full strength inside nine glowing white frames while the mouse is over it. It is drawn
// on its parent's surface and has no pressed look.
//
// Its hint goes to the status bar only: the owner gives it a status tip and no tool tip,
// and sets its accessible name to the same hint. Tab reaches it, a click does not take the
// focus; with the focus, Space and Enter press it. Accessibility tools see a push button.
class TAButton : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultSide = 64;
    static constexpr int FadedOpacity = 125;

    // 64 x 64, transparent, without a picture.
    explicit TAButton(QWidget *parent = nullptr);

    // The picture is copied. Its plain background, the colour of its bottom-left pixel, is
    // left out when drawn; an alpha channel is first laid over the window face colour, so a
    // transparent background drops out as well.
    QImage image() const { return m_image; }
    void setImage(const QImage &image);

    // The program's own spelling. True: the parent shows around the picture; false: the
    // button is opaque, filled with the window face colour.
    bool trabsparent() const { return m_transparent; }
    void setTrabsparent(bool transparent);

    // True while the mouse is over the button.
    bool isGlowing() const { return m_glow; }

    // Runs the button's command as a click does; nothing while disabled.
    void click();

signals:
    // On release of the left button over the button after a press on it; the second press
    // of a double-click makes no second click.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void applyTransparency();
    void setGlow(bool glow);
    void drawPicture(QPainter &painter, int opacity) const;

    QImage m_image;
    bool m_glow = false;
    bool m_transparent = true;
    bool m_pressed = false;
    bool m_spacePressed = false;
};
