// Synthetic `dot -Tjson0` documents of any size, for timing the drawing
// without waiting for dot to lay out tens of thousands of nodes.
//
// The layout imitates what dot makes of a layered flow chart: ranks of 4 to
// 12 box nodes sized to their labels, edges between neighbouring ranks as
// four-point splines, some long edges across ranks, some drawn upwards and
// some within a rank, about one edge in ten labelled, one node in eight
// filled and a cluster around a few nodes of every tenth rank.
#ifndef VANTRI_BENCH_SYNTHETIC_JSON0_H_
#define VANTRI_BENCH_SYNTHETIC_JSON0_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantri::bench {

/// The json0 text of a layout with `nodes` nodes; the same for the same
/// arguments.
std::string synthetic_json0(std::size_t nodes, std::uint64_t seed = 20240611);

}  // namespace vantri::bench

#endif  // VANTRI_BENCH_SYNTHETIC_JSON0_H_
