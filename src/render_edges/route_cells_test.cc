// Recording routes in the planner's cells and taking them back out.
#include "render_edges/route_cells.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vantri {
namespace {

std::string corners(const EdgeRoute& r) {
  std::string out;
  for (const GridPoint& p : r.points) {
    out += " (" + std::to_string(p.row) + ", " + std::to_string(p.col) + ")";
  }
  return out;
}

bool same(const PlanCell& a, const PlanCell& b) {
  return a.what == b.what && a.arms == b.arms && a.tail_group == b.tail_group &&
         a.head_group == b.head_group;
}

// Random routes of up to three legs over a small canvas with a few boxes
// and frames, in few groups so that cells collect crossings, shared trunks
// and mixed groups. Taking any of them back out must leave the cells
// exactly as if only the others had ever been recorded.
TEST(RouteSearch, TakingRoutesBackOutLeavesWhatTheOthersMade) {
  constexpr std::uint64_t kWidth = 40, kHeight = 24;
  std::mt19937 rng(11);
  const auto pick = [&](std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng); };
  for (int round = 0; round < 200; ++round) {
    const auto obstacles = [&](PlanCells& cells, std::mt19937 seeded) {
      for (int k = 0; k < 3; ++k) {
        const std::uint64_t r = seeded() % (kHeight - 3), c = seeded() % (kWidth - 5);
        cells.mark(r, r + 2, c, c + 4, PlanCell::kBox);
        cells.mark(r + 3, r + 3, c, c + 4, PlanCell::kNearBox | PlanCell::kFrame);
      }
    };
    const std::mt19937 layout_seed(static_cast<std::mt19937::result_type>(round));
    std::vector<EdgeRoute> routes(8);
    std::vector<RouteGroups> groups(routes.size());
    for (std::size_t i = 0; i < routes.size(); ++i) {
      EdgeRoute& r = routes[i];
      GridPoint p{pick(kHeight), pick(kWidth)};
      r.points.push_back(p);
      const std::uint64_t legs = 1 + pick(3);
      for (std::uint64_t l = 0; l < legs; ++l) {
        if ((l + i) % 2 == 0) {
          p.col = pick(kWidth);
        } else {
          p.row = pick(kHeight);
        }
        if (p != r.points.back()) r.points.push_back(p);
      }
      r.arrow_at_end = pick(2) == 0;
      r.arrow_at_start = pick(4) == 0;
      groups[i] = {static_cast<std::uint32_t>(1 + pick(3)), static_cast<std::uint32_t>(1 + pick(3))};
    }
    std::vector<std::size_t> removed;
    std::vector<bool> is_removed(routes.size(), false);
    for (std::size_t i = 0; i < routes.size(); ++i) {
      if (pick(3) == 0) {
        removed.push_back(i);
        is_removed[i] = true;
      }
    }
    PlanCells all(kWidth, kHeight), kept(kWidth, kHeight);
    obstacles(all, layout_seed);
    obstacles(kept, layout_seed);
    for (std::size_t i = 0; i < routes.size(); ++i) {
      commit_route(all, routes[i], groups[i]);
      if (!is_removed[i]) commit_route(kept, routes[i], groups[i]);
    }
    uncommit_routes(all, routes, groups, removed);
    for (std::uint64_t r = 0; r < kHeight; ++r) {
      for (std::uint64_t c = 0; c < kWidth; ++c) {
        ASSERT_TRUE(same(all.at(r, c), kept.at(r, c)))
            << "round " << round << " cell (" << r << ", " << c << "): what "
            << int{all.at(r, c).what} << " instead of " << int{kept.at(r, c).what};
      }
    }
  }
}

// Over a canvas several chunks wide, crowded with boxes, labels, frames
// and recorded routes, a route fits exactly when it lies on the canvas and
// no cell of it conflicts with what is there; a slanted leg never fits.
TEST(RouteSearch, RouteFitsExactlyWhenNothingConflicts) {
  constexpr std::uint64_t kWidth = 600, kHeight = 30;
  std::mt19937 rng(5);
  const auto pick = [&](std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng); };
  const auto random_route = [&](std::uint64_t spill) {
    EdgeRoute r;
    GridPoint p{pick(kHeight + spill), pick(kWidth + spill)};
    r.points.push_back(p);
    const std::uint64_t legs = 1 + pick(4);
    for (std::uint64_t l = 0; l < legs; ++l) {
      if (pick(2) == 0) {
        p.col = pick(kWidth + spill);
      } else {
        p.row = pick(kHeight + spill);
      }
      r.points.push_back(p);  // repeated points too
    }
    r.arrow_at_end = pick(2) == 0;
    r.arrow_at_start = pick(4) == 0;
    return r;
  };
  std::size_t fitting = 0, checked = 0;
  for (int round = 0; round < 40; ++round) {
    PlanCells cells(kWidth, kHeight);
    for (int k = 0; k < 12; ++k) {
      const std::uint64_t r = pick(kHeight - 3), c = pick(kWidth - 6);
      cells.mark(r, r + 2, c, c + 5, pick(3) == 0 ? PlanCell::kLabel : PlanCell::kBox);
      cells.mark(r + 3, r + 3, c, c + 5, PlanCell::kNearBox | PlanCell::kFrame);
    }
    for (int k = 0; k < 6; ++k) {
      const EdgeRoute r = random_route(0);
      commit_route(cells, r, {static_cast<std::uint32_t>(1 + pick(3)),
                              static_cast<std::uint32_t>(1 + pick(3))});
    }
    for (int k = 0; k < 400; ++k) {
      const EdgeRoute r = random_route(k % 4 == 0 ? 8 : 0);
      const RouteGroups groups{static_cast<std::uint32_t>(1 + pick(3)),
                               static_cast<std::uint32_t>(1 + pick(3))};
      bool on_canvas = true;
      for (const GridPoint& p : r.points) on_canvas = on_canvas && cells.contains(p.row, p.col);
      const bool expected = on_canvas && route_conflicts(cells, r, groups).empty();
      ASSERT_EQ(route_fits(cells, r, groups), expected)
          << "round " << round << " route " << k << ":" << corners(r);
      fitting += expected ? 1 : 0;
      ++checked;
    }
  }
  // The sweep covers both outcomes in earnest.
  EXPECT_GT(fitting, checked / 20);
  EXPECT_LT(fitting, checked - checked / 20);
  EdgeRoute slanted;
  slanted.points = {{1, 1}, {3, 4}};
  EXPECT_FALSE(route_fits(PlanCells(kWidth, kHeight), slanted, {1, 1}));
}

// Recording a route on a canvas several chunks wide marks every cell it
// passes with the way it passes there, gives cells it takes first its
// groups, puts arrowheads on its arrow ends, and leaves every other cell
// as it was.
TEST(RouteSearch, CommittingARouteMarksExactlyItsCells) {
  constexpr std::uint64_t kWidth = 700, kHeight = 20;
  std::mt19937 rng(9);
  const auto pick = [&](std::uint64_t n) { return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(rng); };
  for (int round = 0; round < 60; ++round) {
    const std::mt19937 seed(static_cast<std::mt19937::result_type>(round));
    const auto crowd = [&](PlanCells& cells) {
      std::mt19937 same = seed;
      for (int k = 0; k < 10; ++k) {
        const std::uint64_t r = same() % (kHeight - 3), c = same() % (kWidth - 6);
        cells.mark(r, r + 2, c, c + 5, PlanCell::kBox);
      }
      for (int k = 0; k < 5; ++k) {
        EdgeRoute r;
        r.points = {{same() % kHeight, same() % kWidth}};
        r.points.push_back({r.points[0].row, same() % kWidth});
        r.points.push_back({same() % kHeight, r.points[1].col});
        commit_route(cells, r, {static_cast<std::uint32_t>(1 + same() % 3),
                                static_cast<std::uint32_t>(1 + same() % 3)});
      }
    };
    PlanCells before(kWidth, kHeight), after(kWidth, kHeight);
    crowd(before);
    crowd(after);
    EdgeRoute route;
    GridPoint p{pick(kHeight + 4), pick(kWidth + 300)};  // may leave the canvas
    route.points.push_back(p);
    for (std::uint64_t l = 0; l < 1 + pick(4); ++l) {
      if (l % 2 == 0) {
        p.col = pick(kWidth + 300);
      } else {
        p.row = pick(kHeight + 4);
      }
      route.points.push_back(p);
    }
    route.arrow_at_end = pick(2) == 0;
    route.arrow_at_start = pick(2) == 0;
    const RouteGroups groups{4, 5};
    commit_route(after, route, groups);
    std::vector<std::uint8_t> uses(kWidth * kHeight, 0);
    for_each_route_cell(route, [&](GridPoint q, std::uint8_t usage) {
      if (after.contains(q.row, q.col)) uses[q.row * kWidth + q.col] |= usage;
      return true;
    });
    const auto arrow_on = [&](const GridPoint& end, bool arrow, std::uint64_t r, std::uint64_t c) {
      return arrow && end.row == r && end.col == c;
    };
    for (std::uint64_t r = 0; r < kHeight; ++r) {
      for (std::uint64_t c = 0; c < kWidth; ++c) {
        const PlanCell was = before.at(r, c), is = after.at(r, c);
        std::uint8_t added = uses[r * kWidth + c];
        if (arrow_on(route.points.front(), route.arrow_at_start, r, c) ||
            arrow_on(route.points.back(), route.arrow_at_end, r, c)) {
          added |= PlanCell::kArrow;
        }
        ASSERT_EQ(is.what, was.what | added) << "round " << round << " cell " << r << "," << c;
        if (added == 0) {
          ASSERT_TRUE(same(is, was)) << "round " << round << " cell " << r << "," << c;
        } else if ((was.what & (PlanCell::kLines | PlanCell::kArrow)) == 0 && (uses[r * kWidth + c] != 0)) {
          ASSERT_EQ(is.tail_group, groups.tail) << "round " << round << " cell " << r << "," << c;
          ASSERT_EQ(is.head_group, groups.head) << "round " << round << " cell " << r << "," << c;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantri
