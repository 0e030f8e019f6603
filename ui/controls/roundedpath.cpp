#include <ui/controls/roundedpath.h>

#include <QColor>
#include <QPainter>
#include <QPainterPathStroker>

QPainterPath roundedPath(int left, int top, int right, int bottom, CornerRadii radii)
{
    const qreal l = left, t = top, r = right, b = bottom;
    const qreal a = radii.topLeft, bb = radii.topRight, c = radii.bottomRight, d = radii.bottomLeft;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.moveTo(l, t + a);
    path.cubicTo(l, t, l + a, t, l + a, t);
    path.lineTo(r - bb, t);
    path.cubicTo(r, t, r, t + bb, r, t + bb);
    path.lineTo(r, b - c);
    path.cubicTo(r, b, r - c, b, r - c, b);
    path.lineTo(l + d, b);
    path.cubicTo(l, b, l, b - d, l, b - d);
    path.lineTo(l, t + a);
    path.closeSubpath();
    return path;
}

void outlinePath(QPainter &painter, const QPainterPath &path, const QColor &colour)
{
    QPainterPathStroker stroker;
    stroker.setWidth(1);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    painter.fillPath(stroker.createStroke(path), colour);
}
