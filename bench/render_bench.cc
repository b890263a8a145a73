// Times vantri's own share of a render: json0 text to the finished drawing,
// with no dot run. Synthetic layouts of several sizes show how the time
// grows with the graph; json0 files written by dot can be timed alongside.
//
//   render_bench [--json0=NAME=PATH ...] [--sizes=500,2000,...]
//                [Google Benchmark flags]
//
// Each benchmark reports the node count as the counter "nodes", so that a
// reader can divide the time per render by it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/stress_cases.h"
#include "bench/synthetic_json0.h"
#include "graphviz/json0_reader.h"
#include "render/render_graph.h"

namespace {

using vantri::LayoutGraph;

// Parses and draws `json0`; returns the drawing's size in bytes, or
// stops the benchmark with the reason when a step fails.
std::size_t render_once(benchmark::State& state, const std::string& json0) {
  auto layout = vantri::read_json0(json0);
  if (!layout) {
    state.SkipWithError(("json0 rejected: " + layout.error().display()).c_str());
    return 0;
  }
  vantri::RenderOptions options;  // the defaults of vantri.render()
  // No second layout: the benchmarks set no width limit.
  auto text = vantri::render_layout("", std::move(*layout), options, {});
  if (!text) {
    state.SkipWithError(("render failed: " + vantri::display(text.error())).c_str());
    return 0;
  }
  return text->text.size();
}

void set_counters(benchmark::State& state, std::size_t nodes, std::size_t json0_bytes,
                  std::size_t drawing_bytes) {
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["json0_bytes"] = static_cast<double>(json0_bytes);
  state.counters["drawing_bytes"] = static_cast<double>(drawing_bytes);
}

// json0 text to finished drawing.
void full_render(benchmark::State& state, const std::string& json0) {
  auto probe = vantri::read_json0(json0);
  if (!probe) {
    state.SkipWithError(("json0 rejected: " + probe.error().display()).c_str());
    return;
  }
  const std::size_t nodes = probe->nodes.size();
  std::size_t drawing_bytes = 0;
  for (auto _ : state) {
    drawing_bytes = render_once(state, json0);
    if (drawing_bytes == 0) return;
    benchmark::DoNotOptimize(drawing_bytes);
  }
  set_counters(state, nodes, json0.size(), drawing_bytes);
}

// The json0 reader alone, to tell its share from the drawing's.
void parse_only(benchmark::State& state, const std::string& json0) {
  std::size_t nodes = 0;
  for (auto _ : state) {
    auto layout = vantri::read_json0(json0);
    if (!layout) {
      state.SkipWithError(("json0 rejected: " + layout.error().display()).c_str());
      return;
    }
    nodes = layout->nodes.size();
    benchmark::DoNotOptimize(layout->edges.data());
  }
  set_counters(state, nodes, json0.size(), 0);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "render_bench: cannot read " << path << "\n";
    std::exit(2);
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::size_t> parse_sizes(std::string_view list) {
  std::vector<std::size_t> sizes;
  std::istringstream in{std::string(list)};
  for (std::string item; std::getline(in, item, ',');) {
    sizes.push_back(std::stoul(item));
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> sizes = {500, 2000, 8000, 32000};
  std::vector<std::pair<std::string, std::string>> files;  // name, json0
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--json0=")) {
      const std::string_view spec = arg.substr(8);
      const std::size_t eq = spec.find('=');
      if (eq == spec.npos) {
        std::cerr << "render_bench: --json0 wants NAME=PATH\n";
        return 2;
      }
      files.emplace_back(std::string(spec.substr(0, eq)),
                         read_file(std::string(spec.substr(eq + 1))));
    } else if (arg.starts_with("--sizes=")) {
      sizes = parse_sizes(arg.substr(8));
    } else {
      rest.push_back(argv[i]);
    }
  }

  // The documents live until the benchmarks have run.
  std::vector<std::pair<std::string, std::string>> documents;
  documents.reserve(sizes.size() + files.size());
  for (std::size_t n : sizes) {
    documents.emplace_back("synthetic/" + std::to_string(n), vantri::bench::synthetic_json0(n));
  }
  for (auto& file : files) documents.push_back(std::move(file));

  for (const auto& [name, json0] : documents) {
    benchmark::RegisterBenchmark(("render/" + name).c_str(), full_render, json0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("parse/" + name).c_str(), parse_only, json0)
        ->Unit(benchmark::kMillisecond);
  }

  vantri::bench::register_stress_cases();

  int bench_argc = static_cast<int>(rest.size());
  benchmark::Initialize(&bench_argc, rest.data());
  if (benchmark::ReportUnrecognizedArguments(bench_argc, rest.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
