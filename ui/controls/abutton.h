#pragma once

#include <QImage>
#include <QWidget>

// A square picture button of the tool bar: the picture faded while the mouse is
// elsewhere, at full strength inside a glowing white frame while it is over it. It has
// no pressed look; its hint reaches the status bar only (a status tip, no balloon).
class TAButton : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultSide = 64;
    static constexpr int FadedOpacity = 125;

    explicit TAButton(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    // The program's own spelling of "transparent": the parent shows around the picture.
    bool trabsparent() const { return m_transparent; }
    void setTrabsparent(bool transparent);
    bool isGlowing() const { return m_glow; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setGlow(bool glow);
    void drawPicture(QPainter &painter, int opacity) const;

    QImage m_image;
    bool m_glow = false;
    bool m_transparent = true;
};
