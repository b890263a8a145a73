// The drawing's worst cases, timed: inputs that drawn naively would cost
// billions of cell writes or a scan of every label per label. They used to
// be tests with time limits; timing belongs here.
#include "bench/stress_cases.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "grid/char_grid.h"
#include "render_edges/line_cover.h"
#include "render_nodes/draw_clusters.h"
#include "support/cell_layout.h"
#include "support/edge_scene.h"

namespace vantri::bench {
namespace {

using testing::Scene;

// 1000 tails over 1000 heads, 2 edges each to heads nearby (one of them
// wrapping round to the far end), every sixth labelled.
void many_edges_and_labels(benchmark::State& state) {
  Scene s;
  constexpr std::size_t kNodes = 1000;
  for (std::size_t i = 0; i < kNodes; ++i) s.node(6 * i, 0);
  for (std::size_t i = 0; i < kNodes; ++i) s.node(6 * i, 12);
  for (std::size_t i = 0; i < kNodes; ++i) {
    for (std::size_t k = 0; k < 2; ++k) {
      const bool label = (i + k) % 6 == 0;
      s.edge(i, kNodes + (i + 3 * k) % kNodes,
             label ? std::optional<std::string>("edge label") : std::nullopt);
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(s.draw(6 * kNodes + 40, 40).width());
}

// One tail fanning out to 3000 heads 3 million columns away, all along one
// row: checked, recorded and drawn cell by cell, 18 billion cells.
void side_edges_along_a_wide_row(benchmark::State& state) {
  constexpr std::uint64_t kFar = 3'000'000;
  Scene s;
  const auto a = s.node(0, 0);
  for (std::uint64_t i = 0; i < 3000; ++i) s.edge(a, s.node(kFar + 6 * i, 12));
  for (auto _ : state) benchmark::DoNotOptimize(s.draw(kFar + 18040, 16).width());
}

// 3000 runs of 4 million cells along one row and one column.
void line_runs_over_one_stretch(benchmark::State& state) {
  constexpr std::uint64_t kLong = 4'000'000;
  for (auto _ : state) {
    CharGrid wide(kLong, 3), tall(3, kLong);
    LineCover cover;
    for (std::uint64_t i = 0; i < 3000; ++i) {
      cover.horizontal(wide, 1, i % 7, kLong - 1 - i);
      cover.vertical(tall, 1, i % 5, kLong - 1 - i);
    }
    benchmark::DoNotOptimize(wide.at(1, 0));
  }
}

// 4000 cluster frames on the same rows of a 2-million-column canvas.
void cluster_frames_on_a_wide_canvas(benchmark::State& state) {
  std::vector<LayoutCluster> clusters;
  for (int i = 0; i < 4000; ++i) {
    clusters.push_back(testing::cluster_at(0, 0, 3, 2'000'000.0 - i, i % 2 ? "title" : ""));
  }
  for (auto _ : state) {
    CharGrid grid(2'000'000, 5);
    draw_clusters(grid, clusters, testing::cell_transform(), TrimStrategy::Smart);
    benchmark::DoNotOptimize(grid.at(1, 0));
  }
}

}  // namespace

void register_stress_cases() {
  using Case = void (*)(benchmark::State&);
  const std::pair<const char*, Case> cases[] = {
      {"stress/many_edges_and_labels", many_edges_and_labels},
      {"stress/side_edges_along_a_wide_row", side_edges_along_a_wide_row},
      {"stress/line_runs_over_one_stretch", line_runs_over_one_stretch},
      {"stress/cluster_frames_on_a_wide_canvas", cluster_frames_on_a_wide_canvas},
  };
  for (const auto& [name, function] : cases) {
    benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond);
  }
}

}  // namespace vantri::bench
