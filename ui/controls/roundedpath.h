#pragma once

#include <QPainterPath>

// A rectangle with four separately rounded corners, one cubic Bézier a corner, filled
// with the odd-even rule: the figure the tool-bar controls draw every layer with.
struct CornerRadii
{
    int topLeft = 0;
    int topRight = 0;
    int bottomRight = 0;
    int bottomLeft = 0;
};

// Paths are laid out on pixel centres: a line at y covers pixel row y, not half of y - 1
// and half of y. Painters move by this much before drawing them.
inline constexpr qreal PixelCentre = 0.5;

QPainterPath roundedPath(int left, int top, int right, int bottom, CornerRadii radii);
inline QPainterPath roundedPath(int left, int top, int right, int bottom, int radius = 0)
{
    return roundedPath(left, top, right, bottom, { radius, radius, radius, radius });
}
