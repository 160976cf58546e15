#pragma once

#include <optional>
#include <vector>

// A rectangle of whole pixels: columns left .. left + width - 1, rows top .. top + height - 1. A
// rectangle without width or height holds no pixel.
struct TPixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // The first column right of it and the first row below it.
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    // Whether the two share a pixel; rectangles that only touch do not.
    bool intersects(const TPixelRect& other) const;
    // Whether `other` lies wholly inside this one.
    bool contains(const TPixelRect& other) const;

    bool operator==(const TPixelRect&) const = default;
};

// Places text boxes so that they stay readable: taken in the order given, each box keeps its
// wanted place when that place lies wholly on `surface` and shares no pixel with an obstacle or
// with a box placed before it. Otherwise it moves the least distance (straight-line, in pixels)
// to such a free place; of equally near places, straight down comes first, then right, left
// and up (in general: not above before above, not left before left, lower first). A box for
// which no free place is left on the surface gets none. The result has one entry per wanted
// box, in the same order; the same input always gives the same places.
// Requires: coordinates and sizes within +-2^24, so that distances are exact.
std::vector<std::optional<TPixelRect>> placeLabels(const std::vector<TPixelRect>& wanted,
                                                   const std::vector<TPixelRect>& obstacles,
                                                   const TPixelRect& surface);
