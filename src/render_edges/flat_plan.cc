// A rank's flat lines: a side each, places along the box sides, tracks.
#include "render_edges/flat_plan.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <set>
#include <unordered_map>
#include <utility>

#include "grid/cell_arith.h"
#include "render_edges/edge_ports.h"

namespace vantri {
namespace {

// The most tracks beyond one side of a rank, and the most cells of a box
// side, a plan deals out: more than any drawing shows, few enough to list.
constexpr std::size_t kMostTracks = 4096;
constexpr std::uint64_t kMostSideCells = 4096;

// The tracks beyond one side of a rank, nearest first. Stretches on one
// track keep a blank cell between them.
class Tracks {
 public:
  explicit Tracks(std::size_t count) : taken_(count) {}

  // The nearest track free from `lo` to `hi`, or `count` when none is.
  std::size_t first_free(std::uint64_t lo, std::uint64_t hi) const {
    for (std::size_t k = 0; k < taken_.size(); ++k) {
      if (free(k, lo, hi)) return k;
    }
    return taken_.size();
  }
  void take(std::size_t k, std::uint64_t lo, std::uint64_t hi) { taken_[k].emplace(lo, hi); }
  std::size_t count() const { return taken_.size(); }

 private:
  bool free(std::size_t k, std::uint64_t lo, std::uint64_t hi) const {
    const auto& on = taken_[k];
    const auto after = on.lower_bound({lo, 0});
    if (after != on.end() && after->first <= add_sat(hi, 1)) return false;
    return after == on.begin() || add_sat(std::prev(after)->second, 1) < lo;
  }

  std::vector<std::set<std::pair<std::uint64_t, std::uint64_t>>> taken_;
};

// One end of a flat line on one box side.
struct End {
  std::size_t edge = 0;
  bool head = false;
  // Where the box at the other end lies across the ranks.
  double other = 0;
};

// Whether two boxes of one band stand side by side across the ranks.
bool side_by_side(const NodeBox& a, const NodeBox& b, bool down_or_up) {
  return down_or_up ? a.right() < b.left || b.right() < a.left
                    : a.bottom() < b.top || b.bottom() < a.top;
}

// Whether box `b` fills `band` from edge to edge, give or take a cell:
// boxes of one rank, a cell narrower or wider than the others.
bool fills(const NodeBox& b, const Band& band, bool down_or_up) {
  const std::uint64_t first = down_or_up ? b.top : b.left;
  const std::uint64_t last = down_or_up ? b.bottom() : b.right();
  return first <= band.first + 1 && last + 1 >= band.last;
}

// The flat lines of each band of `bands`, among the edges `planned` allows
// (all when it is empty): boxes side by side across the ranks, both
// filling their band, so that their sides face the tracks with nothing
// between (boxes of different ranks that overlap merge into one band;
// lines among them are left to the edges one by one).
std::vector<std::vector<std::size_t>> flat_lines(std::span<const LayoutEdge> edges,
                                                 std::span<const NodeBox> boxes,
                                                 std::span<const Band> bands,
                                                 std::span<const char> planned, bool down_or_up) {
  std::vector<std::vector<std::size_t>> lines(bands.size());
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    if (!planned.empty() ? i >= planned.size() || !planned[i]
                         : e.invisible || e.tail >= boxes.size() || e.head >= boxes.size()) {
      continue;
    }
    const NodeBox& t = boxes[e.tail];
    const NodeBox& h = boxes[e.head];
    if (e.tail == e.head || t.width == 0 || t.height == 0 || h.width == 0 || h.height == 0 ||
        !side_by_side(t, h, down_or_up)) {
      continue;
    }
    const std::size_t b = band_holding(bands, down_or_up ? t.top : t.left);
    if (!fills(t, bands[b], down_or_up) || !fills(h, bands[b], down_or_up)) continue;
    lines[b].push_back(i);
  }
  return lines;
}

}  // namespace

std::vector<std::uint32_t> crowded_flat_ends(std::span<const LayoutEdge> edges,
                                             std::span<const NodeBox> boxes, Toward forward,
                                             std::uint64_t crowded) {
  std::vector<std::uint32_t> ends(boxes.size(), 0);
  const std::vector<Band> bands = bands_of(boxes, forward);
  if (bands.empty()) return ends;
  for (const std::vector<std::size_t>& lines : flat_lines(edges, boxes, bands, {}, vertical(forward))) {
    if (lines.empty() || lines.size() < crowded) continue;
    for (const std::size_t i : lines) {
      ++ends[edges[i].tail];
      ++ends[edges[i].head];
    }
  }
  return ends;
}

std::uint64_t flat_room_before(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                               Toward forward, std::uint64_t crowded) {
  const std::vector<Band> bands = bands_of(boxes, forward);
  if (bands.empty()) return 0;
  const bool down_or_up = vertical(forward);
  const auto centre = [&](const NodeBox& b) {
    return down_or_up ? 2 * b.left + b.width : 2 * b.top + b.height;
  };
  // The stretches of the band's flat lines, doubled to stay whole; their
  // starts and ends, swept.
  const std::vector<std::vector<std::size_t>> lines = flat_lines(edges, boxes, bands, {}, down_or_up);
  std::vector<std::pair<std::uint64_t, int>> events;
  for (const std::size_t i : lines[0]) {
    const std::uint64_t a = centre(boxes[edges[i].tail]), c = centre(boxes[edges[i].head]);
    events.emplace_back(std::min(a, c), 1);
    events.emplace_back(std::max(a, c), -1);
  }
  if (events.empty() || events.size() / 2 < crowded) return 0;
  std::sort(events.begin(), events.end());
  int now = 0, most = 0;
  for (const auto& [x, d] : events) most = std::max(most, now += d);
  return std::min<std::uint64_t>(static_cast<std::uint64_t>(most + 1) / 2 + 2, kMostTracks);
}

std::vector<std::optional<GapRoute>> plan_flat_routes(const FlatPlanInput& in) {
  const std::span<const LayoutEdge> edges = in.edges;
  const std::span<const NodeBox> boxes = in.boxes;
  std::vector<std::optional<GapRoute>> out(edges.size());
  const std::vector<Band> bands = bands_of(boxes, in.forward);
  if (bands.empty()) return out;
  const bool down_or_up = vertical(in.forward);
  const auto lo_across = [&](const NodeBox& b) { return down_or_up ? b.left : b.top; };
  const auto hi_across = [&](const NodeBox& b) { return down_or_up ? b.right() : b.bottom(); };
  const auto centre = [&](const NodeBox& b) {
    return static_cast<double>(lo_across(b)) + static_cast<double>(hi_across(b) - lo_across(b)) / 2;
  };
  const auto at = [&](std::uint64_t along, std::uint64_t across) {
    return down_or_up ? GridPoint{along, across} : GridPoint{across, along};
  };
  const auto across_of = [&](GridPoint p) { return down_or_up ? p.col : p.row; };

  std::vector<std::vector<std::size_t>> flat =
      flat_lines(edges, boxes, bands, in.planned, down_or_up);

  if (std::none_of(flat.begin(), flat.end(), [&](const std::vector<std::size_t>& lines) {
        return !lines.empty() && lines.size() >= in.crowded;
      })) {
    return out;
  }

  // Cells beside box sides that planned routes already end in.
  std::vector<GridPoint> ends_taken;
  for (const std::optional<GapRoute>& r : in.taken) {
    if (!r || r->points.empty()) continue;
    ends_taken.push_back(r->points.front());
    ends_taken.push_back(r->points.back());
  }
  const auto before = [](GridPoint a, GridPoint b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  };
  std::sort(ends_taken.begin(), ends_taken.end(), before);

  const std::array<Toward, 2> sides{opposite(in.forward), in.forward};
  for (std::size_t b = 0; b < bands.size(); ++b) {
    std::vector<std::size_t>& lines = flat[b];
    if (lines.empty() || lines.size() < in.crowded) continue;
    // The tracks on either side: three cells off the band (the port cell
    // and a blank row keep crossings off the arrowheads), up to half way
    // to the next band or to the canvas's edge.
    std::array<std::uint64_t, 2> nearest{}, count{};
    for (std::size_t s = 0; s < 2; ++s) {
      const bool increasing = sides[s] == Toward::Down || sides[s] == Toward::Right;
      if (increasing) {
        const std::uint64_t first = add_sat(bands[b].last, 3);
        const std::uint64_t limit =
            b + 1 < bands.size() ? midpoint_floor(bands[b].last, bands[b + 1].first)
                                 : sub_floor(in.canvas_along, 1);
        nearest[s] = first;
        count[s] = limit >= first ? limit - first + 1 : 0;
      } else {
        const std::uint64_t limit = b > 0 ? midpoint_floor(bands[b - 1].last, bands[b].first) + 1 : 0;
        if (bands[b].first < 3) continue;
        const std::uint64_t first = bands[b].first - 3;
        nearest[s] = first;
        count[s] = first >= limit ? first - limit + 1 : 0;
      }
      count[s] = std::min<std::uint64_t>(count[s], kMostTracks);
    }
    const auto track_at = [&](std::size_t s, std::size_t k) {
      const bool increasing = sides[s] == Toward::Down || sides[s] == Toward::Right;
      return increasing ? nearest[s] + k : nearest[s] - k;
    };

    // Shorter lines first: they take the nearer tracks, inside the longer
    // ones, whose ends then lie beyond them.
    const auto reach = [&](std::size_t i) {
      const double a = centre(boxes[edges[i].tail]), c = centre(boxes[edges[i].head]);
      return a < c ? c - a : a - c;
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&](std::size_t x, std::size_t y) { return reach(x) < reach(y); });

    // Each line's side: the one with a track free nearer the rank, judged
    // from the boxes' middles, where both its boxes still have a cell free
    // on that side.
    std::vector<std::pair<std::size_t, std::size_t>> sided;  // edge, side
    {
      std::array<Tracks, 2> guess{Tracks(count[0]), Tracks(count[1])};
      std::unordered_map<std::uint64_t, std::uint64_t> cells_left;  // box * 2 + side
      const auto room = [&](std::size_t box, std::size_t side) -> std::uint64_t& {
        const auto [it, fresh] = cells_left.try_emplace(box * 2 + side, 0);
        if (fresh) {
          const SideRange r = side_range(boxes[box], sides[side], std::nullopt);
          for (std::uint64_t c = r.first; c <= r.last && c - r.first < kMostSideCells; ++c) {
            const std::optional<GridPoint> p = port_cell(boxes[box], sides[side], c);
            if (p && !std::binary_search(ends_taken.begin(), ends_taken.end(), *p, before)) {
              ++it->second;
            }
          }
        }
        return it->second;
      };
      for (const std::size_t i : lines) {
        const std::size_t t = edges[i].tail, h = edges[i].head;
        const auto a = static_cast<std::uint64_t>(centre(boxes[t]));
        const auto c = static_cast<std::uint64_t>(centre(boxes[h]));
        const std::uint64_t lo = std::min(a, c), hi = std::max(a, c);
        std::array<std::size_t, 2> k{guess[0].first_free(lo, hi), guess[1].first_free(lo, hi)};
        for (std::size_t side = 0; side < 2; ++side) {
          if (room(t, side) == 0 || room(h, side) == 0) k[side] = guess[side].count();
        }
        if (k[0] == guess[0].count() && k[1] == guess[1].count()) continue;
        const std::size_t side = k[1] < k[0] || k[0] == guess[0].count() ? 1 : 0;
        guess[side].take(k[side], lo, hi);
        --room(t, side);
        --room(h, side);
        sided.emplace_back(i, side);
      }
    }

    // The ends on each box side, and their places: lines going towards
    // the start of the side first, then the others; in each part, the
    // line to the nearer box nearer its own side's start, so that lines
    // nest.
    std::vector<std::pair<std::uint64_t, End>> ends;  // box * 2 + side, end
    for (const auto& [i, s] : sided) {
      const std::size_t t = edges[i].tail, h = edges[i].head;
      ends.emplace_back(t * 2 + s, End{i, false, centre(boxes[h])});
      ends.emplace_back(h * 2 + s, End{i, true, centre(boxes[t])});
    }
    std::sort(ends.begin(), ends.end(), [&](const auto& x, const auto& y) {
      if (x.first != y.first) return x.first < y.first;
      const double own = centre(boxes[x.first / 2]);
      const bool xa = x.second.other < own, ya = y.second.other < own;
      if (xa != ya) return xa;
      if (x.second.other != y.second.other) return x.second.other > y.second.other;
      return x.second.edge < y.second.edge;
    });
    std::vector<std::array<std::optional<std::uint64_t>, 2>> place(edges.size());
    std::vector<std::uint64_t> free;
    for (std::size_t k = 0; k < ends.size();) {
      std::size_t j = k;
      while (j < ends.size() && ends[j].first == ends[k].first) ++j;
      const std::size_t box = ends[k].first / 2;
      const Toward side = sides[ends[k].first % 2];
      const SideRange r = side_range(boxes[box], side, std::nullopt);
      const std::uint64_t n = j - k;
      if (r.last >= r.first && r.last - r.first < kMostSideCells) {
        free.clear();
        for (std::uint64_t c = r.first; c <= r.last; ++c) {
          const std::optional<GridPoint> p = port_cell(boxes[box], side, c);
          if (p && !std::binary_search(ends_taken.begin(), ends_taken.end(), *p, before)) {
            free.push_back(c);
          }
        }
        if (free.size() >= n) {
          for (std::uint64_t m = 0; m < n; ++m) {
            place[ends[k + m].second.edge][ends[k + m].second.head ? 1 : 0] =
                free[((2 * m + 1) * free.size()) / (2 * n)];
          }
        }
      }
      k = j;
    }

    // The tracks, shorter stretches nearer the rank, and the routes.
    std::array<Tracks, 2> tracks{Tracks(count[0]), Tracks(count[1])};
    for (const auto& [i, s] : sided) {
      if (!place[i][0] || !place[i][1]) continue;
      const Toward side = sides[s];
      const std::optional<GridPoint> a = port_cell(boxes[edges[i].tail], side, *place[i][0]);
      const std::optional<GridPoint> c = port_cell(boxes[edges[i].head], side, *place[i][1]);
      if (!a || !c) continue;
      const std::uint64_t lo = std::min(*place[i][0], *place[i][1]);
      const std::uint64_t hi = std::max(*place[i][0], *place[i][1]);
      const std::size_t k = tracks[s].first_free(lo, hi);
      if (k == tracks[s].count()) continue;
      tracks[s].take(k, lo, hi);
      const std::uint64_t track = track_at(s, k);
      GapRoute route;
      route.points = {*a, at(track, across_of(*a)), at(track, across_of(*c)), *c};
      route.batch = static_cast<std::uint32_t>(i);
      route.start_into = opposite(side);
      route.end_into = opposite(side);
      out[i] = std::move(route);
    }
  }
  return out;
}

}  // namespace vantri
