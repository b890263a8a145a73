// Ends spread along box sides, bands crossed at places of their own, and
// tracks dealt out across each gap.
#include "render_edges/gap_plan.h"

#include <algorithm>
#include <array>
#include <memory_resource>
#include <unordered_map>

#include "grid/cell_arith.h"

namespace vantri {
namespace {

// Keys of ends and networks: a shared tail or head group, or one edge's
// own tail or head, or one edge's stretch across one gap.
enum class Key : std::uint64_t { TailGroup = 1, HeadGroup, EdgeTail, EdgeHead, Edge };

std::uint64_t key(Key kind, std::uint64_t value) {
  return (static_cast<std::uint64_t>(kind) << 40) | value;
}

// The most cells of a box side, and tracks of a gap, a plan deals out:
// more than any drawing shows, few enough to list (a hostile layout's
// boxes and gaps may span most of the coordinate range).
constexpr std::uint64_t kMostSideCells = 4096;
constexpr std::size_t kMostTracks = 4096;

// One end of the planned edges on one box side.
struct End {
  std::size_t box = 0;
  bool head_side = false;
  std::uint64_t key = 0;
  // The sum of the places across the ranks its lines go to, and how many.
  double far = 0;
  std::uint64_t lines = 0;
  std::optional<std::uint64_t> at;
};

// One network in one gap: where its stretches start and end across it.
struct Net {
  std::size_t gap = 0;
  std::uint64_t lo = kMaxCell;
  std::uint64_t hi = 0;
  bool whole = true;
  std::pmr::vector<std::uint64_t> tops, bottoms;
  std::optional<std::uint64_t> track;
};

// One edge's stretch across one gap.
struct Stretch {
  std::size_t net = 0;
  std::uint64_t top = 0;
  std::uint64_t bottom = 0;
};

}  // namespace

std::vector<Band> bands_of(std::span<const NodeBox> boxes, Toward forward) {
  const bool down_or_up = vertical(forward);
  std::vector<Band> spans;
  spans.reserve(boxes.size());
  for (const NodeBox& b : boxes) {
    if (b.width == 0 || b.height == 0) continue;
    spans.push_back(down_or_up ? Band{b.top, b.bottom()} : Band{b.left, b.right()});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Band& a, const Band& b) { return a.first < b.first; });
  std::vector<Band> bands;
  for (const Band& s : spans) {
    if (!bands.empty() && s.first <= bands.back().last + 1) {
      bands.back().last = std::max(bands.back().last, s.last);
    } else {
      bands.push_back(s);
    }
  }
  return bands;
}

std::size_t band_holding(std::span<const Band> bands, std::uint64_t start) {
  const auto it = std::upper_bound(bands.begin(), bands.end(), start,
                                   [](std::uint64_t v, const Band& s) { return v < s.first; });
  return static_cast<std::size_t>(it - bands.begin()) - 1;
}

GapPlan plan_gap_routes(const GapPlanInput& in) {
  GapPlan plan;
  const std::span<const LayoutEdge> edges = in.edges;
  const std::span<const NodeBox> boxes = in.boxes;
  const std::span<const RouteGroups> groups = in.groups;
  const Toward forward = in.forward;
  std::vector<std::optional<GapRoute>>& out = plan.routes;
  out.resize(edges.size());
  const std::vector<Band> bands = bands_of(boxes, forward);
  if (bands.size() < 2) return plan;
  const bool down_or_up = vertical(forward);
  const bool increasing = forward == Toward::Down || forward == Toward::Right;
  const auto band = [&](const NodeBox& b) {
    return band_holding(bands, down_or_up ? b.top : b.left);
  };
  const auto centre = [&](const NodeBox& b) {
    return static_cast<double>(down_or_up ? b.left : b.top) +
           static_cast<double>(down_or_up ? b.width : b.height) / 2;
  };
  // The band `s` bands on from `b` along the edges, and the gap between
  // the two bands `s` and `s + 1` on.
  const auto band_on = [&](std::size_t b, std::size_t s) { return increasing ? b + s : b - s; };
  const auto gap_on = [&](std::size_t b, std::size_t s) {
    return increasing ? b + s : b - s - 1;
  };

  // The edges planned, how many gaps each crosses, and where each long one
  // crosses the bands on its way.
  std::vector<std::size_t> legs;
  std::vector<std::size_t> gaps_of(edges.size(), 0);
  std::vector<std::size_t> tail_band(edges.size(), 0);
  // The maps' nodes come from one arena, freed at once.
  std::pmr::monotonic_buffer_resource arena;
  std::pmr::unordered_map<std::uint32_t, std::uint32_t> tail_uses(&arena), head_uses(&arena);
  for (std::size_t i = 0; i < edges.size() && i < in.planned.size() && i < groups.size(); ++i) {
    if (!in.planned[i]) continue;
    const std::size_t tb = band(boxes[edges[i].tail]);
    const std::size_t hb = band(boxes[edges[i].head]);
    if (increasing ? hb <= tb : hb >= tb) continue;
    const std::size_t n = increasing ? hb - tb : tb - hb;
    if (n > 1 && (i >= in.crossings.size() || in.crossings[i].size() != n - 1)) continue;
    gaps_of[i] = n;
    tail_band[i] = tb;
    legs.push_back(i);
    ++tail_uses[groups[i].tail];
    ++head_uses[groups[i].head];
  }
  if (legs.empty()) return plan;
  if (in.crowded_side != 0) {
    // No side of a box with fewer lines than a crowded side has ends: a
    // graph without such boxes has no crowded gap.
    std::vector<std::uint32_t> out_lines(boxes.size(), 0), in_lines(boxes.size(), 0);
    bool busy = false;
    for (const std::size_t i : legs) {
      busy = busy || ++out_lines[edges[i].tail] >= in.crowded_side ||
             ++in_lines[edges[i].head] >= in.crowded_side;
    }
    if (!busy) return plan;
  }
  const auto shared_tail = [&](std::size_t i) {
    return groups[i].tail != 0 && tail_uses[groups[i].tail] > 1;
  };
  const auto shared_head = [&](std::size_t i) {
    return groups[i].head != 0 && head_uses[groups[i].head] > 1;
  };

  // Places across the bands: the wanted ones in order along each band,
  // each pushed on past the last one given and past the boxes there (a
  // cell clear of them). Across a gap, a line that comes down where
  // another goes on down would run into it unless its track lies lower:
  // a band's places keep off those of the band before it, but for the
  // edge's own, which it keeps where it can (a straight line on).
  std::vector<std::vector<std::pair<std::uint64_t, std::uint64_t>>> blocked(bands.size());
  for (const NodeBox& b : boxes) {
    if (b.width == 0 || b.height == 0) continue;
    const std::uint64_t lo = down_or_up ? b.left : b.top;
    const std::uint64_t hi = down_or_up ? b.right() : b.bottom();
    blocked[band(b)].emplace_back(sub_floor(lo, 1), add_sat(hi, 1));
  }
  for (auto& list : blocked) std::sort(list.begin(), list.end());
  struct Request {
    std::size_t band, edge, step;
    std::uint64_t want;
  };
  std::vector<Request> requests;
  for (const std::size_t i : legs) {
    for (std::size_t s = 1; s < gaps_of[i]; ++s) {
      requests.push_back(Request{band_on(tail_band[i], s), i, s, in.crossings[i][s - 1]});
    }
  }
  std::sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) {
    return a.band != b.band ? a.band < b.band : a.want < b.want;
  });
  std::vector<std::vector<std::uint64_t>> crossing(edges.size());
  for (const std::size_t i : legs) crossing[i].assign(gaps_of[i] > 0 ? gaps_of[i] - 1 : 0, 0);
  // Places taken across each gap by lines that come down into it or go on
  // down from it, which the ends of box sides keep off.
  std::vector<std::vector<std::uint64_t>> taken(bands.size());
  // The places given in the band before, with their edges.
  std::vector<std::pair<std::uint64_t, std::size_t>> before, now;
  std::size_t band_before = bands.size();
  for (std::size_t k = 0; k < requests.size();) {
    const std::size_t b = requests[k].band;
    const auto& walls = blocked[b];
    if (band_before == bands.size() || (b != band_before + 1 && band_before != b + 1)) {
      before.clear();
    } else {
      before.swap(now);
    }
    now.clear();
    band_before = b;
    std::sort(before.begin(), before.end());
    std::optional<std::uint64_t> last;
    const auto held = [&](std::uint64_t c, std::size_t edge) {
      const auto it = std::lower_bound(before.begin(), before.end(), std::pair{c, std::size_t{0}});
      return it != before.end() && it->first == c && it->second != edge;
    };
    for (; k < requests.size() && requests[k].band == b; ++k) {
      const Request& q = requests[k];
      std::uint64_t c = q.want;
      // Straight on from the band before, when that is near.
      if (q.step > 1) {
        const std::uint64_t prev = crossing[q.edge][q.step - 2];
        if ((prev > c ? prev - c : c - prev) <= 2) c = prev;
      }
      if (last && c <= *last) c = add_sat(*last, 1);
      // A place pushed to the end of the range (only hostile layouts get
      // there) lies off the canvas: the edge's route will not fit.
      for (std::size_t w = 0; c != kMaxCell;) {
        while (w < walls.size() && walls[w].second < c) ++w;
        if (w < walls.size() && walls[w].first <= c) {
          c = add_sat(walls[w].second, 1);
          continue;
        }
        if (held(c, q.edge)) {
          c = add_sat(c, 1);
          continue;
        }
        break;
      }
      last = c;
      now.emplace_back(c, q.edge);
      crossing[q.edge][q.step - 1] = c;
      if (b > 0) taken[b - 1].push_back(c);
      if (b + 1 < bands.size()) taken[b].push_back(c);
    }
  }

  // Every end, and its place along its side: in the order of the places
  // its lines go to, spread evenly.
  std::vector<End> ends;
  std::pmr::unordered_map<std::uint64_t, std::size_t> end_of(&arena);
  const auto end = [&](std::uint64_t k, std::size_t box, bool head_side) -> End& {
    const auto [it, added] = end_of.emplace(k, ends.size());
    if (added) ends.push_back(End{box, head_side, k, 0, 0, std::nullopt});
    return ends[it->second];
  };
  std::vector<std::pair<std::size_t, std::size_t>> leg_ends(edges.size());
  for (const std::size_t i : legs) {
    const LayoutEdge& e = edges[i];
    const std::uint64_t tk =
        shared_tail(i) ? key(Key::TailGroup, groups[i].tail) : key(Key::EdgeTail, i);
    const std::uint64_t hk =
        shared_head(i) ? key(Key::HeadGroup, groups[i].head) : key(Key::EdgeHead, i);
    const bool long_edge = gaps_of[i] > 1;
    End& t = end(tk, e.tail, false);
    t.far += long_edge ? static_cast<double>(crossing[i].front()) : centre(boxes[e.head]);
    ++t.lines;
    End& h = end(hk, e.head, true);
    h.far += long_edge ? static_cast<double>(crossing[i].back()) : centre(boxes[e.tail]);
    ++h.lines;
    leg_ends[i] = {end_of[tk], end_of[hk]};
  }
  std::vector<std::size_t> order(ends.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const End& x = ends[a];
    const End& y = ends[b];
    if (x.box != y.box) return x.box < y.box;
    if (x.head_side != y.head_side) return y.head_side;
    const double fx = x.far / static_cast<double>(x.lines);
    const double fy = y.far / static_cast<double>(y.lines);
    if (fx != fy) return fx < fy;
    return x.key < y.key;
  });
  // The sides: their ends in `order`, and the gap each faces.
  struct Side {
    std::size_t from, to, gap;
    bool head_side;
  };
  std::vector<Side> sides;
  // The most ends any side of a gap takes, and all ends of the gap's upper
  // and lower sides.
  std::vector<std::uint64_t> crowding(bands.size(), 0);
  std::vector<std::array<std::uint64_t, 2>> gap_ends(bands.size(), {0, 0});
  for (std::size_t k = 0; k < order.size();) {
    std::size_t j = k;
    const End& first = ends[order[k]];
    while (j < order.size() && ends[order[j]].box == first.box &&
           ends[order[j]].head_side == first.head_side) {
      ++j;
    }
    const std::size_t b = band(boxes[first.box]);
    const std::size_t gap = first.head_side == increasing ? b - (b > 0 ? 1 : 0) : b;
    sides.push_back(Side{k, j, gap, first.head_side});
    crowding[gap] = std::max<std::uint64_t>(crowding[gap], j - k);
    gap_ends[gap][first.head_side ? 1 : 0] += j - k;
    k = j;
  }
  if (in.crowded_side != 0 &&
      std::none_of(crowding.begin(), crowding.end(),
                   [&](std::uint64_t n) { return n >= in.crowded_side; })) {
    return plan;
  }
  // A line coming down at a place where another goes on down would run
  // into it: the sides with fewer ends in a gap are placed first, evenly
  // spread, and the ends of the sides facing them keep off their places
  // where they have room to; all keep off the places where long edges
  // come through the bands.
  for (std::vector<std::uint64_t>& t : taken) std::sort(t.begin(), t.end());
  std::vector<std::uint64_t> free;
  for (const bool later : {false, true}) {
    std::vector<std::vector<std::uint64_t>> placed(later ? 0 : bands.size());
    for (const Side& s : sides) {
      const bool heads_first = gap_ends[s.gap][1] <= gap_ends[s.gap][0];
      if ((s.head_side != heads_first) != later) continue;
      const NodeBox& box = boxes[ends[order[s.from]].box];
      const SideRange r = side_range(box, s.head_side ? opposite(forward) : forward, std::nullopt);
      const std::uint64_t n = s.to - s.from;
      if (r.last - r.first >= kMostSideCells) continue;
      free.clear();
      const std::vector<std::uint64_t>& avoid = taken[s.gap];
      for (std::uint64_t c = r.first; c <= r.last; ++c) {
        if (!std::binary_search(avoid.begin(), avoid.end(), c)) free.push_back(c);
      }
      if (free.size() < n) {
        free.clear();
        for (std::uint64_t c = r.first; c <= r.last; ++c) free.push_back(c);
      }
      if (free.size() < n) continue;
      for (std::uint64_t m = 0; m < n; ++m) {
        std::uint64_t at = free[((2 * m + 1) * free.size()) / (2 * n)];
        if (n == 1) {
          // The free place nearest the middle.
          const auto it = std::lower_bound(free.begin(), free.end(), r.middle);
          at = it == free.end() ? free.back() : *it;
          if (it != free.begin() && it != free.end() && r.middle - *(it - 1) < *it - r.middle) {
            at = *(it - 1);
          }
        }
        ends[order[s.from + m]].at = at;
        if (!later) placed[s.gap].push_back(at);
      }
    }
    if (!later) {
      for (std::size_t g = 0; g < bands.size(); ++g) {
        taken[g].insert(taken[g].end(), placed[g].begin(), placed[g].end());
        std::sort(taken[g].begin(), taken[g].end());
      }
    }
  }

  // Every edge's stretch across each gap, and the networks they make: a
  // shared tail's fan-out in the tail's gap, a shared head's merge in the
  // head's, each stretch of its own otherwise.
  std::vector<Net> nets;
  std::pmr::unordered_map<std::uint64_t, std::size_t> net_of(&arena);
  std::vector<std::pmr::vector<Stretch>> stretches(edges.size(), std::pmr::vector<Stretch>(&arena));
  std::vector<char> whole(edges.size(), 1);
  for (const std::size_t i : legs) {
    const End& t = ends[leg_ends[i].first];
    const End& h = ends[leg_ends[i].second];
    if (!t.at || !h.at) {
      whole[i] = 0;
      continue;
    }
    const std::size_t n = gaps_of[i];
    for (std::size_t s = 0; s < n; ++s) {
      const std::size_t gap = gap_on(tail_band[i], s);
      const std::uint64_t k = s == 0 && shared_tail(i)       ? key(Key::TailGroup, groups[i].tail)
                              : s + 1 == n && shared_head(i) ? key(Key::HeadGroup, groups[i].head)
                                                             : key(Key::Edge, i);
      // A network lies in one gap: its key and its gap name it.
      const auto [it, added] = net_of.emplace((k << 20) ^ gap, nets.size());
      if (added) {
        nets.push_back(Net{gap, kMaxCell, 0, true, std::pmr::vector<std::uint64_t>(&arena),
                           std::pmr::vector<std::uint64_t>(&arena), std::nullopt});
      }
      Net& net = nets[it->second];
      const std::uint64_t top = s == 0 ? *t.at : crossing[i][s - 1];
      const std::uint64_t bottom = s + 1 == n ? *h.at : crossing[i][s];
      net.lo = std::min({net.lo, top, bottom});
      net.hi = std::max({net.hi, top, bottom});
      net.tops.push_back(top);
      net.bottoms.push_back(bottom);
      stretches[i].push_back(Stretch{it->second, top, bottom});
    }
  }

  // Tracks across each planned gap, the middle rows first, dealt out to
  // networks from the left (the top) as a channel router does: a track is
  // free for a network once the last one on it ended two cells before. A
  // network whose stretches all run straight needs none; one left without
  // a track is left to its edges one by one, and so is every network of a
  // gap too narrow for tracks between the rows beside its bands.
  std::vector<std::size_t> by_start(nets.size());
  for (std::size_t k = 0; k < by_start.size(); ++k) by_start[k] = k;
  std::sort(by_start.begin(), by_start.end(), [&](std::size_t a, std::size_t b) {
    return nets[a].gap != nets[b].gap ? nets[a].gap < nets[b].gap : nets[a].lo < nets[b].lo;
  });
  const auto planned_gap = [&](std::size_t g) {
    return in.crowded_side == 0 || crowding[g] >= in.crowded_side;
  };
  std::vector<std::uint64_t> rows;
  std::vector<std::uint64_t> free_from;
  std::vector<char> gap_failed(bands.size(), 0);
  std::size_t gap_now = bands.size();
  for (const std::size_t k : by_start) {
    Net& net = nets[k];
    if (!planned_gap(net.gap)) {
      gap_failed[net.gap] = 1;
      continue;
    }
    if (net.gap != gap_now) {
      gap_now = net.gap;
      rows.clear();
      std::uint64_t first = add_sat(bands[gap_now].last, 1);
      std::uint64_t last = sub_floor(bands[gap_now + 1].first, 1);
      if (last < first || last - first < 2) {
        gap_failed[gap_now] = 1;
        continue;
      }
      ++first;
      --last;
      const std::uint64_t mid = midpoint_floor(first, last);
      rows.push_back(mid);
      for (std::uint64_t d = 1; (mid >= first + d || mid + d <= last) && rows.size() < kMostTracks;
           ++d) {
        if (mid + d <= last) rows.push_back(mid + d);
        if (mid >= first + d) rows.push_back(mid - d);
      }
      free_from.assign(rows.size(), 0);
    }
    if (net.lo == net.hi) continue;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (free_from[r] > net.lo) continue;
      net.track = rows[r];
      free_from[r] = add_sat(net.hi, 2);
      break;
    }
  }
  for (Net& net : nets) {
    std::sort(net.tops.begin(), net.tops.end());
    std::sort(net.bottoms.begin(), net.bottoms.end());
  }
  // The tracks each planned gap needs: the most networks over one place,
  // each taking its stretch and the cell after it.
  std::vector<std::vector<std::pair<std::uint64_t, int>>> events(bands.size());
  for (const Net& net : nets) {
    if (net.lo >= net.hi || !planned_gap(net.gap)) continue;
    events[net.gap].emplace_back(net.lo, 1);
    events[net.gap].emplace_back(add_sat(net.hi, 2), -1);
  }
  for (std::size_t g = 0; g + 1 < bands.size(); ++g) {
    std::sort(events[g].begin(), events[g].end());
    int now = 0, most = 0;
    for (const auto& [x, d] : events[g]) most = std::max(most, now += d);
    const std::uint64_t rows = sub_floor(bands[g + 1].first, bands[g].last + 1);
    if (most > 0 && rows < static_cast<std::uint64_t>(most) + 2) {
      plan.stretch = std::max(plan.stretch, (most + 3.0) / static_cast<double>(std::max<std::uint64_t>(rows, 1)));
    }
  }

  // The routes. A stretch that comes down where another of its network
  // goes on down, inside the network's track, would make the track's
  // junction a crossing: its edge is left to be routed on its own.
  const auto at = [&](std::uint64_t along, std::uint64_t across) {
    return down_or_up ? GridPoint{along, across} : GridPoint{across, along};
  };
  const auto along_of = [&](GridPoint p) { return down_or_up ? p.row : p.col; };
  const auto across_of = [&](GridPoint p) { return down_or_up ? p.col : p.row; };
  for (const std::size_t i : legs) {
    if (!whole[i] || stretches[i].empty()) continue;
    bool ok = true;
    std::optional<std::size_t> shared_net;
    for (std::size_t s = 0; s < stretches[i].size() && ok; ++s) {
      const Stretch& st = stretches[i][s];
      const Net& net = nets[st.net];
      if (gap_failed[net.gap] || !planned_gap(net.gap)) ok = false;
      if (st.top != st.bottom && !net.track) ok = false;
      const auto inside = [&](std::uint64_t x) { return x > net.lo && x < net.hi; };
      if (net.tops.size() > 1 &&
          ((inside(st.top) && std::binary_search(net.bottoms.begin(), net.bottoms.end(), st.top)) ||
           (inside(st.bottom) && std::binary_search(net.tops.begin(), net.tops.end(), st.bottom)))) {
        ok = false;
      }
      if (net.tops.size() > 1) shared_net = st.net;
    }
    if (!ok) continue;
    const LayoutEdge& e = edges[i];
    const auto a = port_cell(boxes[e.tail], forward, stretches[i].front().top);
    const auto b = port_cell(boxes[e.head], opposite(forward), stretches[i].back().bottom);
    if (!a || !b) continue;
    GapRoute route;
    route.points.push_back(*a);
    for (const Stretch& st : stretches[i]) {
      if (st.top == st.bottom) continue;
      const std::uint64_t track = *nets[st.net].track;
      route.points.push_back(at(track, st.top));
      route.points.push_back(at(track, st.bottom));
    }
    route.points.push_back(*b);
    // Corners only: points on one line with both neighbours go.
    std::vector<GridPoint>& p = route.points;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < p.size(); ++k) {
      if (kept > 0 && p[k] == p[kept - 1]) continue;
      if (kept >= 2) {
        const GridPoint x = p[kept - 2], y = p[kept - 1], z = p[k];
        if ((x.row == y.row && y.row == z.row) || (x.col == y.col && y.col == z.col)) {
          p[kept - 1] = z;
          continue;
        }
      }
      p[kept++] = p[k];
    }
    p.resize(kept);
    if (p.size() < 2 || along_of(p.front()) == along_of(p.back()) ||
        (p.size() == 2 && across_of(p.front()) != across_of(p.back()))) {
      continue;
    }
    route.batch = static_cast<std::uint32_t>(shared_net ? *shared_net : nets.size() + i);
    route.start_into = opposite(forward);
    route.end_into = forward;
    out[i] = std::move(route);
  }
  return plan;
}

}  // namespace vantri
