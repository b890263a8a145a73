// Numbering edge ends by what they may share.
#include "render_edges/end_groups.h"

#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>

namespace vantri {
namespace {

struct PairHash {
  std::size_t operator()(const std::pair<std::size_t, std::size_t>& p) const {
    std::uint64_t h = p.first * 0x9e3779b97f4a7c15ULL;
    h ^= p.second + 0x632be59bd9b4e019ULL + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h * 0xff51afd7ed558ccdULL);
  }
};

}  // namespace

std::vector<RouteGroups> end_groups(std::span<const LayoutEdge> edges,
                                    std::span<const EndSpans> spans) {
  // node; rank among the edges between the same two nodes (the k-th of
  // them shares with the k-th of other pairs, never with its own
  // parallels); the field (left, top, right, bottom; all ~0 for the whole
  // box); arrowhead; head end.
  using Key = std::tuple<std::size_t, std::uint64_t, std::uint64_t, std::uint64_t,
                         std::uint64_t, std::uint64_t, bool, bool>;
  std::map<Key, std::uint32_t> ids;
  std::uint32_t next = 0;
  std::unordered_map<std::pair<std::size_t, std::size_t>, std::uint64_t, PairHash> twins;
  twins.reserve(edges.size());
  std::vector<RouteGroups> groups(edges.size());
  const CellRect whole{~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0},
                       ~std::uint64_t{0}};
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    const std::uint64_t twin = twins[{e.tail, e.head}]++;
    const auto id = [&](bool head) {
      const std::optional<CellRect> span =
          i < spans.size() ? (head ? spans[i].head : spans[i].tail) : std::nullopt;
      const CellRect s = span.value_or(whole);
      const Key key{head ? e.head : e.tail, twin, s.left, s.top, s.right, s.bottom,
                    head ? e.arrow_at_head : e.arrow_at_tail, head};
      const auto [it, fresh] = ids.try_emplace(key, next + 1);
      if (fresh) ++next;
      return it->second;
    };
    // A loop's tail shares with nothing: its arrowhead lies beside the
    // same box as its start, and no edge leaving the box may take that
    // cell for a fan-out.
    groups[i] = {e.tail == e.head ? ++next : id(false), id(true)};
  }
  return groups;
}

}  // namespace vantri
