// Numbering edge ends by what they may share.
#include "render_edges/end_groups.h"

#include <cstdint>
#include <memory_resource>
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

// An end that may share: the node; the rank among the edges between the
// same two nodes (the k-th of them shares with the k-th of other pairs,
// never with its own parallels); the field (left, top, right, bottom; all
// ~0 for the whole box); whether it is the head end; and how that end may
// share (`Share`: only ends alike share).
using EndKey = std::tuple<std::size_t, std::uint64_t, std::uint64_t, std::uint64_t,
                          std::uint64_t, std::uint64_t, bool, int>;

struct EndKeyHash {
  std::size_t operator()(const EndKey& k) const {
    std::uint64_t h = 0x9e3779b97f4a7c15ULL;
    const auto mix = [&h](std::uint64_t v) {
      h ^= v + 0x632be59bd9b4e019ULL + (h << 6) + (h >> 2);
      h *= 0xff51afd7ed558ccdULL;
    };
    mix(std::get<0>(k));
    mix(std::get<1>(k));
    mix(std::get<2>(k));
    mix(std::get<3>(k));
    mix(std::get<4>(k));
    mix(std::get<5>(k));
    mix(static_cast<std::uint64_t>(std::get<6>(k)) << 8 |
        static_cast<std::uint64_t>(std::get<7>(k)));
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

// How an end may share. A line shares its end without an arrowhead, as
// the trunk of a fan-out that reads from that box on to an arrowhead per
// other box, only when its other end has the one arrowhead; and its head
// arrowhead as a fan-in merge into that one arrowhead. A tail arrowhead is
// its edge's own, one per edge. A line without arrowheads shares nothing:
// where it met another, nothing would tell which way either goes; nor
// does a loop.
enum Share : int { kNone = 0, kFanOut = 1, kFanIn = 2 };

Share share_of(const LayoutEdge& e, bool head) {
  if (e.tail == e.head) return kNone;
  const bool here = head ? e.arrow_at_head : e.arrow_at_tail;
  const bool there = head ? e.arrow_at_tail : e.arrow_at_head;
  if (here) return head ? kFanIn : kNone;
  return there ? kFanOut : kNone;
}

}  // namespace

EndGroups end_groups(std::span<const LayoutEdge> edges, std::span<const EndSpans> spans) {
  const CellRect whole{~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0},
                       ~std::uint64_t{0}};
  // The maps' nodes come from one arena, freed at once: a graph of
  // thousands of edges would otherwise spend more on allocating them than
  // on the rest of the numbering.
  std::pmr::monotonic_buffer_resource arena;
  std::pmr::unordered_map<std::pair<std::size_t, std::size_t>, std::uint64_t, PairHash> twins(
      &arena);
  twins.reserve(edges.size());
  std::vector<std::pair<EndKey, EndKey>> keys(edges.size());
  // How many edges may share each end.
  std::pmr::unordered_map<EndKey, std::uint32_t, EndKeyHash> count(&arena);
  count.reserve(2 * edges.size());
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    const std::uint64_t twin = twins[{e.tail, e.head}]++;
    const auto key = [&](bool head) {
      const std::optional<CellRect> span =
          i < spans.size() ? (head ? spans[i].head : spans[i].tail) : std::nullopt;
      const CellRect s = span.value_or(whole);
      // A loop's head joins fan-ins when nothing else will do.
      const int share = e.tail == e.head && head ? kFanIn : share_of(e, head);
      return EndKey{head ? e.head : e.tail, twin, s.left, s.top, s.right, s.bottom, head, share};
    };
    keys[i] = {key(false), key(true)};
    if (share_of(e, false) != kNone) ++count[keys[i].first];
    if (share_of(e, true) != kNone) ++count[keys[i].second];
  }
  // Each edge joins one network only: the one at its tail or the one at
  // its head, whichever gathers more edges; on a tie the fan-in, whose one
  // arrowhead saves cells where arrowheads crowd a box.
  // Were it to join both, a tail of the fan-in would read as joined to the
  // heads of the fan-out. Every other end gets a group of its own.
  std::pmr::unordered_map<EndKey, std::uint32_t, EndKeyHash> ids(&arena);
  ids.reserve(2 * edges.size());
  std::uint32_t next = 0;
  const auto id = [&](const EndKey& key) {
    const auto [it, fresh] = ids.try_emplace(key, next + 1);
    if (fresh) ++next;
    return it->second;
  };
  EndGroups groups;
  groups.first.resize(edges.size());
  groups.crowded.resize(edges.size());
  groups.walled.resize(edges.size());
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    RouteGroups& g = groups.first[i];
    RouteGroups& c = groups.crowded[i];
    g = {++next, ++next};
    c = g;
    const bool loop = e.tail == e.head;
    groups.walled[i] = {loop ? g.tail : id(keys[i].first), id(keys[i].second)};
    if (loop) continue;
    const Share at_tail = share_of(e, false), at_head = share_of(e, true);
    const std::uint32_t tails = at_tail != kNone ? count[keys[i].first] : 0;
    const std::uint32_t heads = at_head != kNone ? count[keys[i].second] : 0;
    const bool on_tail = tails > heads && tails >= 2;
    const bool on_head = !on_tail && heads >= 2;
    if (on_tail) g.tail = id(keys[i].first);
    if (on_head) g.head = id(keys[i].second);
    // At a crowded box the edge takes the other end's network, or, with
    // none that may share, a star round its tail.
    if (on_tail && at_head != kNone) {
      c.head = id(keys[i].second);
    } else if (on_head && at_tail != kNone) {
      c.tail = id(keys[i].first);
    } else if (!on_tail && !on_head) {
      if (at_tail != kNone || at_head == kNone) {
        c.tail = id(keys[i].first);
      } else {
        c.head = id(keys[i].second);
      }
    }
  }
  return groups;
}

}  // namespace vantri
