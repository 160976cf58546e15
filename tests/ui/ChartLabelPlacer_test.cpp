#include "ui/charts/ChartLabelPlacer.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

void PrintTo(const TPixelRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

namespace {

using TPlaces = std::vector<std::optional<TPixelRect>>;

struct TPlaceCase {
    const char* name;
    std::vector<TPixelRect> wanted;
    std::vector<TPixelRect> obstacles;
    TPixelRect surface;
    TPlaces expected;
};

TEST(ChartLabelPlacer, EachBoxMovesTheLeastDistanceToAFreePlace) {
    const TPixelRect surface{0, 0, 100, 50};
    const TPlaceCase cases[] = {
        {"free places are kept, touching boxes too",
         {{0, 0, 20, 10}, {20, 0, 20, 10}, {50, 30, 20, 10}},
         {},
         surface,
         {TPixelRect{0, 0, 20, 10}, TPixelRect{20, 0, 20, 10}, TPixelRect{50, 30, 20, 10}}},
        {"a wide box on a taken place goes down one row",
         {{10, 10, 20, 10}, {10, 10, 20, 10}},
         {},
         surface,
         {TPixelRect{10, 10, 20, 10}, TPixelRect{10, 20, 20, 10}}},
        {"a tall box on a taken place goes sideways",
         {{10, 10, 10, 20}, {10, 10, 10, 20}},
         {},
         surface,
         {TPixelRect{10, 10, 10, 20}, TPixelRect{20, 10, 10, 20}}},
        {"at the bottom edge the row above is taken",
         {{10, 40, 20, 10}, {10, 40, 20, 10}},
         {},
         surface,
         {TPixelRect{10, 40, 20, 10}, TPixelRect{10, 30, 20, 10}}},
        {"equal moves: down, right, left, then up",
         {{20, 20, 10, 10}, {20, 20, 10, 10}, {20, 20, 10, 10}, {20, 20, 10, 10}, {20, 20, 10, 10}},
         {},
         surface,
         {TPixelRect{20, 20, 10, 10}, TPixelRect{20, 30, 10, 10}, TPixelRect{30, 20, 10, 10},
          TPixelRect{10, 20, 10, 10}, TPixelRect{20, 10, 10, 10}}},
        {"a vertical axis pushes to its nearer side",
         {{45, 5, 20, 10}, {52, 25, 20, 10}},
         {{60, 0, 1, 50}},
         surface,
         {TPixelRect{40, 5, 20, 10}, TPixelRect{61, 25, 20, 10}}},
        {"a horizontal axis pushes to its nearer side",
         {{10, 27, 20, 10}, {50, 23, 20, 10}},
         {{0, 30, 100, 1}},
         surface,
         {TPixelRect{10, 31, 20, 10}, TPixelRect{50, 20, 20, 10}}},
        {"boxes off the surface come back on it",
         {{95, -3, 20, 10}, {-500, 60, 20, 10}},
         {},
         surface,
         {TPixelRect{80, 0, 20, 10}, TPixelRect{0, 40, 20, 10}}},
        {"a box without a free place is left out, later ones still placed",
         {{0, 0, 20, 10}, {5, 0, 20, 10}, {0, 0, 40, 10}, {0, 0, 10, 10}},
         {},
         {0, 0, 30, 10},
         {TPixelRect{0, 0, 20, 10}, std::nullopt, std::nullopt, TPixelRect{20, 0, 10, 10}}},
        {"a box between two obstacles slips through the gap",
         {{40, 5, 20, 20}},
         {{0, 15, 45, 1}, {65, 15, 35, 1}},
         surface,
         {TPixelRect{45, 5, 20, 20}}},
    };
    for (const TPlaceCase& c : cases) {
        EXPECT_EQ(placeLabels(c.wanted, c.obstacles, c.surface), c.expected) << c.name;
    }
}

// Every free place of a box on the surface, nearest to the wanted one first, by brute force.
std::optional<long long> nearestFreeDistance(const TPixelRect& wanted,
                                             const std::vector<TPixelRect>& blocking,
                                             const TPixelRect& surface) {
    std::optional<long long> best;
    for (int x = surface.left; x + wanted.width <= surface.right(); ++x) {
        for (int y = surface.top; y + wanted.height <= surface.bottom(); ++y) {
            const TPixelRect box{x, y, wanted.width, wanted.height};
            bool free = true;
            for (const TPixelRect& b : blocking)
                free = free && !b.intersects(box);
            if (!free) continue;
            const long long dx = x - wanted.left;
            const long long dy = y - wanted.top;
            if (!best || dx * dx + dy * dy < *best) best = dx * dx + dy * dy;
        }
    }
    return best;
}

TEST(ChartLabelPlacer, CrowdedBoxesNeverOverlapAndMoveNoFurtherThanNeeded) {
    // Boxes crowded around two axes of a small surface; the brute-force search over every pixel
    // confirms that each box lies free and as near as any free place can be.
    const TPixelRect surface{0, 0, 120, 80};
    const std::vector<TPixelRect> obstacles{{10, 60, 100, 1}, {10, 5, 1, 56}, {100, 5, 1, 56}};
    std::mt19937 random(13);
    std::vector<TPixelRect> wanted;
    for (int i = 0; i < 14; ++i) {
        wanted.push_back({int(random() % 130) - 5, int(random() % 90) - 5, 12 + int(random() % 14),
                          8 + int(random() % 6)});
    }
    const TPlaces placed = placeLabels(wanted, obstacles, surface);
    ASSERT_EQ(placed.size(), wanted.size());
    std::vector<TPixelRect> blocking = obstacles;
    for (size_t i = 0; i < placed.size(); ++i) {
        const std::optional<long long> nearest = nearestFreeDistance(wanted[i], blocking, surface);
        ASSERT_EQ(placed[i].has_value(), nearest.has_value()) << i;
        if (!placed[i]) continue;
        const TPixelRect& box = *placed[i];
        EXPECT_TRUE(surface.contains(box)) << i;
        EXPECT_EQ(box.width, wanted[i].width) << i;
        EXPECT_EQ(box.height, wanted[i].height) << i;
        for (const TPixelRect& b : blocking)
            EXPECT_FALSE(box.intersects(b)) << i;
        const long long dx = box.left - wanted[i].left;
        const long long dy = box.top - wanted[i].top;
        EXPECT_EQ(dx * dx + dy * dy, *nearest) << i;
        blocking.push_back(box);
    }
    EXPECT_EQ(blocking.size(), obstacles.size() + wanted.size());
}

}  // namespace
