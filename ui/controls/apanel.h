#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The tool bar's panel: a soft glowing gradient in layers, with an optional rounded
// border, painted whole through one off-screen image so the layers never flicker.
class TAPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultHeight = 68;
    static constexpr int MinimumSide = 10;

    // Never smaller than MinimumSide either way.
    explicit TAPanel(QWidget *parent = nullptr);

    QColor backGround() const { return m_backGround; }
    void setBackGround(const QColor &colour);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &colour);
    QColor glowColor() const { return m_glowColor; }
    void setGlowColor(const QColor &colour);
    int round() const { return m_round; }
    void setRound(int radius);

    // The panel as it paints itself, for tests and snapshots.
    QImage rendered() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_backGround = Qt::black;
    QColor m_borderColor = QColor(106, 133, 172);
    QColor m_glowColor = QColor(0, 128, 255);
    int m_round = 0;
};
