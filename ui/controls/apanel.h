#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The tool bar's panel: a soft glowing gradient in layers over a background colour, with a
// 1-pixel border that can be rounded. It paints through one off-screen image, copied whole,
// so that the layers never flicker, and holds the tool bar's buttons as children.
//
// A new panel sits at the top of its parent, as wide as it and 68 pixels high; the owner
// places it from there. The colours are 24-bit RGB values used exactly as given; only the
// clearing colour under rounded corners comes from the palette (the Window role, inherited
// from the parent: the window face colour).
class TAPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultHeight = 68;
    static constexpr int MinimumSide = 10;

    // Never smaller than MinimumSide either way: a smaller size is raised.
    explicit TAPanel(QWidget *parent = nullptr);

    // Each setter stores the value and repaints.
    QColor backGround() const { return m_backGround; }
    void setBackGround(const QColor &colour);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &colour);
    QColor glowColor() const { return m_glowColor; }
    void setGlowColor(const QColor &colour);
    int round() const { return m_round; } // corner radius in pixels
    void setRound(int radius);

    // The image one paint makes and copies: width() x height() at the pixel ratio given.
    QImage rendered(qreal devicePixelRatio = 1.0) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor m_backGround = QColor(0, 0, 0);
    QColor m_borderColor = QColor(106, 133, 172);
    QColor m_glowColor = QColor(0, 128, 255);
    int m_round = 0;
};
