// Ends spread along box sides and tracks dealt out across each gap.
#include "render_edges/gap_jogs.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "grid/cell_arith.h"

namespace vantri {
namespace {

// Keys of ends and networks: a shared tail or head group, or one edge's
// own tail or head, or one edge as a network of its own.
enum class Key : std::uint64_t { TailGroup = 1, HeadGroup, EdgeTail, EdgeHead, Edge };

std::uint64_t key(Key kind, std::uint64_t value) {
  return (static_cast<std::uint64_t>(kind) << 40) | value;
}

// One end of the planned edges on one box side.
struct End {
  std::size_t box = 0;
  bool head_side = false;
  std::uint64_t key = 0;
  // The sum of the positions across the ranks of the boxes its lines go
  // to, and how many.
  double far = 0;
  std::uint64_t lines = 0;
  std::optional<std::uint64_t> at;
};

// One network in one gap: where its ends lie across the gap.
struct Net {
  std::size_t gap = 0;
  std::uint64_t lo = kMaxCell;
  std::uint64_t hi = 0;
  bool whole = true;
  std::optional<std::uint64_t> track;
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

std::vector<std::optional<GapJog>> plan_gap_jogs(std::span<const LayoutEdge> edges,
                                                 std::span<const NodeBox> boxes,
                                                 std::span<const RouteGroups> groups,
                                                 std::span<const char> planned, Toward forward,
                                                 std::uint64_t crowded_side) {
  std::vector<std::optional<GapJog>> out(edges.size());
  const std::vector<Band> bands = bands_of(boxes, forward);
  if (bands.size() < 2) return out;
  const bool down_or_up = vertical(forward);
  const bool increasing = forward == Toward::Down || forward == Toward::Right;
  const auto band = [&](const NodeBox& b) {
    const std::uint64_t start = down_or_up ? b.top : b.left;
    const auto it = std::upper_bound(bands.begin(), bands.end(), start,
                                     [](std::uint64_t v, const Band& s) { return v < s.first; });
    return static_cast<std::size_t>(it - bands.begin()) - 1;
  };
  const auto across = [&](const NodeBox& b) {
    return static_cast<double>(down_or_up ? b.left : b.top) +
           static_cast<double>(down_or_up ? b.width : b.height) / 2;
  };

  // The edges from one band to the next, and the gap each crosses.
  std::vector<std::size_t> legs;
  std::vector<std::size_t> gap_of(edges.size(), 0);
  std::unordered_map<std::uint32_t, std::uint32_t> tail_uses, head_uses;
  for (std::size_t i = 0; i < edges.size() && i < planned.size() && i < groups.size(); ++i) {
    if (!planned[i]) continue;
    const std::size_t tb = band(boxes[edges[i].tail]);
    const std::size_t hb = band(boxes[edges[i].head]);
    if (increasing ? hb != tb + 1 : hb + 1 != tb) continue;
    gap_of[i] = std::min(tb, hb);
    legs.push_back(i);
    ++tail_uses[groups[i].tail];
    ++head_uses[groups[i].head];
  }
  if (legs.empty()) return out;
  const auto shared_tail = [&](std::size_t i) {
    return groups[i].tail != 0 && tail_uses[groups[i].tail] > 1;
  };
  const auto shared_head = [&](std::size_t i) {
    return groups[i].head != 0 && head_uses[groups[i].head] > 1;
  };

  // Every end, and its place along its side: in the order of the boxes
  // its lines go to, spread evenly.
  std::vector<End> ends;
  std::unordered_map<std::uint64_t, std::size_t> end_of;
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
    End& t = end(tk, e.tail, false);
    t.far += across(boxes[e.head]);
    ++t.lines;
    End& h = end(hk, e.head, true);
    h.far += across(boxes[e.tail]);
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
  // A line coming down at a place where another goes on down would run
  // into it: the sides with fewer ends in a gap are placed first, evenly
  // spread, and the ends of the sides facing them keep off their places
  // where they have room to.
  std::vector<std::vector<std::uint64_t>> taken(bands.size());
  std::vector<std::uint64_t> free;
  for (const bool later : {false, true}) {
    for (const Side& s : sides) {
      const bool heads_first = gap_ends[s.gap][1] <= gap_ends[s.gap][0];
      if ((s.head_side != heads_first) != later) continue;
      const NodeBox& box = boxes[ends[order[s.from]].box];
      const SideRange r = side_range(box, s.head_side ? opposite(forward) : forward, std::nullopt);
      const std::uint64_t n = s.to - s.from;
      free.clear();
      const std::vector<std::uint64_t>& avoid = taken[s.gap];
      for (std::uint64_t c = r.first; c <= r.last; ++c) {
        if (!later || !std::binary_search(avoid.begin(), avoid.end(), c)) free.push_back(c);
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
        if (!later) taken[s.gap].push_back(at);
      }
    }
    if (!later) {
      for (std::vector<std::uint64_t>& t : taken) std::sort(t.begin(), t.end());
    }
  }

  // Every network's stretch across its gap.
  std::vector<Net> nets;
  std::unordered_map<std::uint64_t, std::size_t> net_of;
  std::vector<std::size_t> leg_net(edges.size(), 0);
  for (const std::size_t i : legs) {
    const std::uint64_t k = shared_tail(i)   ? key(Key::TailGroup, groups[i].tail)
                            : shared_head(i) ? key(Key::HeadGroup, groups[i].head)
                                             : key(Key::Edge, i);
    const auto [it, added] = net_of.emplace(k, nets.size());
    if (added) nets.push_back(Net{gap_of[i], kMaxCell, 0, true, std::nullopt});
    Net& net = nets[it->second];
    leg_net[i] = it->second;
    const End& t = ends[leg_ends[i].first];
    const End& h = ends[leg_ends[i].second];
    if (!t.at || !h.at) {
      net.whole = false;
      continue;
    }
    net.lo = std::min({net.lo, *t.at, *h.at});
    net.hi = std::max({net.hi, *t.at, *h.at});
  }

  // Tracks across each crowded gap, the middle rows first, dealt out to
  // networks from the left (the top) as a channel router does: a track is
  // free for a network once the last one on it ended two cells before.
  std::vector<std::size_t> by_start(nets.size());
  for (std::size_t k = 0; k < by_start.size(); ++k) by_start[k] = k;
  std::sort(by_start.begin(), by_start.end(), [&](std::size_t a, std::size_t b) {
    return nets[a].gap != nets[b].gap ? nets[a].gap < nets[b].gap : nets[a].lo < nets[b].lo;
  });
  // A gap too narrow for tracks between the rows beside its bands, or
  // with too few for its networks, is left to the edges one by one.
  std::vector<std::uint64_t> rows;
  std::vector<std::uint64_t> free_from;
  std::vector<char> gap_failed(bands.size(), 0);
  std::size_t gap_now = bands.size();
  for (const std::size_t k : by_start) {
    Net& net = nets[k];
    if (!net.whole || net.lo > net.hi || crowding[net.gap] < crowded_side) continue;
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
      for (std::uint64_t d = 1; mid >= first + d || mid + d <= last; ++d) {
        if (mid + d <= last) rows.push_back(mid + d);
        if (mid >= first + d) rows.push_back(mid - d);
      }
      free_from.assign(rows.size(), 0);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (free_from[r] > net.lo) continue;
      net.track = rows[r];
      free_from[r] = add_sat(net.hi, 2);
      break;
    }
    if (!net.track) gap_failed[net.gap] = 1;
  }

  for (const std::size_t i : legs) {
    const Net& net = nets[leg_net[i]];
    if (!net.track || gap_failed[net.gap]) continue;
    out[i] = GapJog{*ends[leg_ends[i].first].at, *ends[leg_ends[i].second].at, *net.track,
                    static_cast<std::uint32_t>(leg_net[i])};
  }
  return out;
}

}  // namespace vantri
