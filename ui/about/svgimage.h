#pragma once

#include <QSvgRenderer>
#include <QWidget>

// A picture drawn from an SVG file, stretched over the whole widget; an absent or
// unreadable file draws nothing.
class SvgImage : public QWidget
{
    Q_OBJECT

public:
    explicit SvgImage(const QString &fileName, QWidget *parent = nullptr);

    bool hasPicture() const { return m_renderer.isValid(); }

signals:
    // A mouse button that was pressed over the picture is released over it.
    void mouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSvgRenderer m_renderer;
};
