#pragma once

#include <QPainterPath>

class QColor;
class QPainter;

// A rectangle with four separately rounded corners, one cubic Bézier a corner, filled
// with the odd-even rule: the figure every layer of the tool-bar controls is drawn with.
// A corner of radius 0 is square.
struct CornerRadii
{
    int topLeft = 0;
    int topRight = 0;
    int bottomRight = 0;
    int bottomLeft = 0;
};

// The controls' coordinates name pixel centres: a line at y covers pixel row y, not half
// of y - 1 and half of y. Painters move by this much before drawing their paths.
inline constexpr qreal PixelCentre = 0.5;

QPainterPath roundedPath(int left, int top, int right, int bottom, CornerRadii radii);
inline QPainterPath roundedPath(int left, int top, int right, int bottom, int radius = 0)
{
    return roundedPath(left, top, right, bottom, { radius, radius, radius, radius });
}

// Outlines the path with a 1-pixel pen in the colour, corners mitred, each pixel covered
// once. QPainter draws its own 1-pixel pens as hairlines, whose square corners lack a
// quarter of a pixel.
void outlinePath(QPainter &painter, const QPainterPath &path, const QColor &colour);
