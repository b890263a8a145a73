// Counting the tracks each gap between ranks needs: per gap, the most
// stars whose spans across the ranks overlap at one place.
#include "render_edges/gap_demand.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "render_edges/edge_ports.h"
#include "render_edges/gap_plan.h"

namespace vantri {
namespace {

// The farthest the ranks move apart at once for a crowded gap.
constexpr double kMostDenseStretch = 4;

}  // namespace

GapCrowding gap_crowding(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                         RankDir rankdir, std::uint64_t dense) {
  const Toward forward = forward_of(rankdir);
  const bool down_or_up = vertical(forward);
  const auto first = [&](const NodeBox& b) { return down_or_up ? b.top : b.left; };
  const auto middle = [&](const NodeBox& b) {
    return down_or_up ? b.left + b.width / 2 : b.top + b.height / 2;
  };
  // The bands of boxes along the rank axis, merged, in order; each box's
  // band.
  const std::vector<Band> bands = bands_of(boxes, forward);
  if (bands.size() < 2) return {};
  const auto band_of = [&](const NodeBox& b) { return band_holding(bands, first(b)); };
  // Forward edges between neighbouring bands, and how many of them leave
  // and enter each box.
  std::vector<std::uint32_t> leaving(boxes.size(), 0), entering(boxes.size(), 0);
  std::vector<std::pair<const LayoutEdge*, std::size_t>> between;  // edge, gap
  for (const LayoutEdge& e : edges) {
    if (e.invisible || e.tail == e.head || e.tail >= boxes.size() || e.head >= boxes.size()) {
      continue;
    }
    const NodeBox& t = boxes[e.tail];
    const NodeBox& h = boxes[e.head];
    if (t.width == 0 || h.width == 0 || !beyond(t, h, forward, 1)) continue;
    const std::size_t bt = band_of(t), bh = band_of(h);
    if ((bt > bh ? bt - bh : bh - bt) != 1) continue;
    ++leaving[e.tail];
    ++entering[e.head];
    between.push_back({&e, std::min(bt, bh)});
  }
  // Each jog belongs to the larger of its edge's two stars; a star's jogs
  // in one gap take one track, over the span of them all.
  std::map<std::pair<std::size_t, std::size_t>, std::pair<std::uint64_t, std::uint64_t>> stars;
  for (const auto& [e, gap] : between) {
    const std::uint64_t a = middle(boxes[e->tail]), b = middle(boxes[e->head]);
    const std::size_t star = leaving[e->tail] >= entering[e->head] ? e->tail * 2 : e->head * 2 + 1;
    auto [it, fresh] = stars.try_emplace({gap, star}, std::min(a, b), std::max(a, b));
    if (!fresh) {
      it->second.first = std::min(it->second.first, std::min(a, b));
      it->second.second = std::max(it->second.second, std::max(a, b));
    }
  }
  // Per gap, the most stars any box side joins: (gap, box side, star),
  // counted once each.
  std::vector<std::tuple<std::size_t, std::size_t, std::size_t>> side_stars;
  for (const auto& [e, gap] : between) {
    const std::size_t star = leaving[e->tail] >= entering[e->head] ? e->tail * 2 : e->head * 2 + 1;
    side_stars.emplace_back(gap, e->tail * 2, star);
    side_stars.emplace_back(gap, e->head * 2 + 1, star);
  }
  std::sort(side_stars.begin(), side_stars.end());
  side_stars.erase(std::unique(side_stars.begin(), side_stars.end()), side_stars.end());
  std::vector<std::uint64_t> busiest_side(bands.size(), 0);
  for (std::size_t k = 0; k < side_stars.size();) {
    std::size_t j = k;
    while (j < side_stars.size() && std::get<0>(side_stars[j]) == std::get<0>(side_stars[k]) &&
           std::get<1>(side_stars[j]) == std::get<1>(side_stars[k])) {
      ++j;
    }
    std::uint64_t& most = busiest_side[std::get<0>(side_stars[k])];
    most = std::max<std::uint64_t>(most, j - k);
    k = j;
  }
  // Per gap, the most star spans over one place, against its rows less
  // the two beside the bands (ports and arrowheads).
  std::vector<std::vector<std::pair<std::uint64_t, int>>> events(bands.size() - 1);
  for (const auto& [key, span] : stars) {
    if (span.first == span.second) continue;  // straight: no track
    events[key.first].push_back({span.first, +1});
    events[key.first].push_back({span.second + 1, -1});
  }
  GapCrowding out;
  for (std::size_t g = 0; g + 1 < bands.size(); ++g) {
    std::sort(events[g].begin(), events[g].end());
    int now = 0, most = 0;
    for (const auto& [at, d] : events[g]) most = std::max(most, now += d);
    const std::uint64_t rows = bands[g + 1].first - bands[g].last - 1;
    const std::uint64_t have = rows > 2 ? rows - 2 : 1;
    out.worst = std::max(out.worst, most / static_cast<double>(have));
    if (static_cast<std::uint64_t>(most) > have) out.missing += static_cast<std::uint64_t>(most) - have;
    if (busiest_side[g] >= dense && static_cast<std::uint64_t>(most) > have) {
      out.dense_stretch = std::min(
          kMostDenseStretch,
          std::max(out.dense_stretch, (most + 3.0) / static_cast<double>(rows)));
    }
  }
  return out;
}

}  // namespace vantri
