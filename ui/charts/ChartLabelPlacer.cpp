#include "ui/charts/ChartLabelPlacer.h"

#include <algorithm>
#include <tuple>

namespace {

// The order of the places a box may move to: nearest first; of equally near ones, those not
// above before those above, those not to the left before those to the left, the lower first.
// Two different moves never tie: distance, signs and dy fix dx.
using TMoveKey = std::tuple<long long, bool, bool, int>;

TMoveKey moveKey(int dx, int dy) {
    const long long distance = (long long)dx * dx + (long long)dy * dy;
    return {distance, dy < 0, dx < 0, -dy};
}

// The positions along one axis where a nearest free place can lie: the wanted one, the two ends
// of the surface and the sides of every blocking rectangle. The free region is bounded by those
// lines, so its point nearest the wanted one has each coordinate among them.
std::vector<int> candidates(int wanted, int size, int surfaceLow, int surfaceHigh,
                            const std::vector<const TPixelRect*>& blocking, bool horizontal) {
    std::vector<int> result{wanted, surfaceLow, surfaceHigh - size};
    for (const TPixelRect* b : blocking) {
        result.push_back((horizontal ? b->left : b->top) - size);
        result.push_back(horizontal ? b->right() : b->bottom());
    }
    std::erase_if(result, [&](int p) { return p < surfaceLow || p + size > surfaceHigh; });
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

bool isFree(const TPixelRect& box, const std::vector<const TPixelRect*>& blocking) {
    return std::none_of(blocking.begin(), blocking.end(),
                        [&](const TPixelRect* b) { return b->intersects(box); });
}

std::optional<TPixelRect> placeOne(const TPixelRect& wanted,
                                   const std::vector<const TPixelRect*>& blocking,
                                   const TPixelRect& surface) {
    if (surface.contains(wanted) && isFree(wanted, blocking)) return wanted;
    const std::vector<int> xs =
        candidates(wanted.left, wanted.width, surface.left, surface.right(), blocking, true);
    const std::vector<int> ys =
        candidates(wanted.top, wanted.height, surface.top, surface.bottom(), blocking, false);
    std::optional<TPixelRect> best;
    TMoveKey bestKey;
    for (const int x : xs) {
        for (const int y : ys) {
            const TMoveKey key = moveKey(x - wanted.left, y - wanted.top);
            if (best && !(key < bestKey)) continue;
            const TPixelRect box{x, y, wanted.width, wanted.height};
            if (!isFree(box, blocking)) continue;
            best = box;
            bestKey = key;
        }
    }
    return best;
}

}  // namespace

bool TPixelRect::intersects(const TPixelRect& other) const {
    if (width <= 0 || height <= 0 || other.width <= 0 || other.height <= 0) return false;
    return left < other.right() && other.left < right() && top < other.bottom() &&
           other.top < bottom();
}

bool TPixelRect::contains(const TPixelRect& other) const {
    return left <= other.left && other.right() <= right() && top <= other.top &&
           other.bottom() <= bottom();
}

std::vector<std::optional<TPixelRect>> placeLabels(const std::vector<TPixelRect>& wanted,
                                                   const std::vector<TPixelRect>& obstacles,
                                                   const TPixelRect& surface) {
    std::vector<std::optional<TPixelRect>> placed;
    placed.reserve(wanted.size());
    std::vector<const TPixelRect*> blocking;
    blocking.reserve(obstacles.size() + wanted.size());
    for (const TPixelRect& obstacle : obstacles)
        blocking.push_back(&obstacle);
    // Every placed box blocks the later ones; `placed` never reallocates, so its addresses hold.
    for (const TPixelRect& box : wanted) {
        placed.push_back(placeOne(box, blocking, surface));
        if (placed.back()) blocking.push_back(&*placed.back());
    }
    return placed;
}
