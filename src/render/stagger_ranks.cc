// Invisible edges with minimum lengths that move nodes of wide ranks down.
#include "render/stagger_ranks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "grid/cell_arith.h"
#include "render/label_fit.h"

namespace vantri {
namespace {

// Nodes of one rank share this coordinate, up to rounding in the json0.
constexpr double kSameRank = 0.5;

// The most ranks, summed over the edges that move nodes down, that a
// stagger adds. `dot` takes an edge longer by a rank as one more node to
// place, and its time grows faster than their number: a fan-out of 500
// leaves set 45 rows deep at 80 columns took it most of a minute, where
// one set 10 deep (2250 ranks added) takes a third of a second. Beyond
// this, ranks are spread less deep and the drawing is cut as one that
// does not fit.
constexpr std::uint64_t kMostRanksAdded = 2048;

}  // namespace

Stagger stagger_wide_ranks(const LayoutGraph& layout, std::span<const std::uint64_t> box_columns,
                           std::uint64_t columns) {
  Stagger stagger;
  const bool upward = layout.rankdir == RankDir::BottomToTop;
  if (layout.strict || columns == 0 ||
      !(layout.rankdir == RankDir::TopToBottom || upward)) {
    return stagger;
  }
  const std::size_t count = std::min(layout.nodes.size(), box_columns.size());
  // The visible, named nodes rank by rank (top first as the ranks go),
  // left to right within a rank.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < count; ++i) {
    const LayoutNode& node = layout.nodes[i];
    if (!node.invisible && node.name && std::isfinite(node.pos.x) && std::isfinite(node.pos.y)) {
      order.push_back(i);
    }
  }
  const auto along = [&](std::size_t i) {
    return upward ? layout.nodes[i].pos.y : -layout.nodes[i].pos.y;
  };
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (along(a) != along(b)) return along(a) < along(b);
    return layout.nodes[a].pos.x < layout.nodes[b].pos.x;
  });
  constexpr std::size_t kNoRank = static_cast<std::size_t>(-1);
  std::vector<std::size_t> rank_of(layout.nodes.size(), kNoRank);
  std::vector<std::vector<std::size_t>> ranks;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k == 0 || !(std::abs(along(order[k]) - along(order[k - 1])) < kSameRank)) {
      ranks.emplace_back();
    }
    ranks.back().push_back(order[k]);
    rank_of[order[k]] = ranks.size() - 1;
  }
  // Where each node's edges come from: its tails, and in an undirected
  // graph either end.
  std::vector<std::vector<std::size_t>> from(layout.nodes.size());
  for (const LayoutEdge& edge : layout.edges) {
    if (edge.tail >= from.size() || edge.head >= from.size() || edge.tail == edge.head) continue;
    from[edge.head].push_back(edge.tail);
    if (!layout.directed) from[edge.tail].push_back(edge.head);
  }
  for (std::vector<std::size_t>& tails : from) {
    std::sort(tails.begin(), tails.end());
    tails.erase(std::unique(tails.begin(), tails.end()), tails.end());
  }

  const std::string_view joint = layout.directed ? " -> " : " -- ";
  const auto add = [&](std::size_t tail, std::size_t head, std::size_t length) {
    const auto tail_name = quoted_name(*layout.nodes[tail].name);
    const auto head_name = quoted_name(*layout.nodes[head].name);
    if (!tail_name || !head_name) return;
    stagger.statements += *tail_name;
    stagger.statements += joint;
    stagger.statements += *head_name + " [style=invis, minlen=" + std::to_string(length) + "];\n";
    ++stagger.edges;
  };
  std::uint64_t ranks_left = kMostRanksAdded;
  for (const std::vector<std::size_t>& rank : ranks) {
    std::uint64_t taken = 0;
    for (std::size_t i : rank) taken = add_sat(taken, add_sat(box_columns[i], 1));
    if (taken <= columns) continue;
    // The fewest rows, taking the nodes in turn, none of which is too wide.
    std::size_t steps = std::min<std::uint64_t>(rank.size(), taken / columns);
    for (bool fits = false; !fits && steps < rank.size();) {
      ++steps;
      std::vector<std::uint64_t> row(steps, 0);
      for (std::size_t k = 0; k < rank.size(); ++k) {
        row[k % steps] = add_sat(row[k % steps], add_sat(box_columns[rank[k]], 1));
      }
      fits = *std::max_element(row.begin(), row.end()) <= columns;
    }
    // What moving the rank's nodes down adds: each of a node's edges from
    // above grows by as many ranks as the node goes down.
    const auto added = [&](std::size_t depth) {
      std::uint64_t sum = 0;
      for (std::size_t k = 0; k < rank.size(); ++k) {
        sum = add_sat(sum, (k % depth) * std::max<std::size_t>(from[rank[k]].size(), 1));
      }
      return sum;
    };
    while (steps > 1 && added(steps) > ranks_left) --steps;
    if (steps < 2) continue;
    ranks_left -= added(steps);
    for (std::size_t k = 0; k < rank.size(); ++k) {
      const std::size_t down = k % steps;
      if (down == 0) continue;
      const std::size_t node = rank[k];
      bool moved = false;
      for (std::size_t tail : from[node]) {
        if (rank_of[tail] == kNoRank || rank_of[tail] >= rank_of[node]) continue;
        add(tail, node, rank_of[node] - rank_of[tail] + down);
        moved = true;
      }
      // A node with nothing above it hangs from the first of its rank.
      if (!moved) add(rank.front(), node, down);
    }
  }
  return stagger;
}

void drop_stagger_edges(LayoutGraph& staggered, std::span<const LayoutEdge> own) {
  using Key = std::tuple<std::size_t, std::size_t>;
  std::map<Key, std::size_t> invisible;
  for (const LayoutEdge& edge : own) {
    if (edge.invisible) ++invisible[{edge.tail, edge.head}];
  }
  std::erase_if(staggered.edges, [&](const LayoutEdge& edge) {
    if (!edge.invisible) return false;
    const auto found = invisible.find({edge.tail, edge.head});
    if (found == invisible.end() || found->second == 0) return true;
    --found->second;
    return false;
  });
}

}  // namespace vantri
