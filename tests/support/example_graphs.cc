// Reading Graphviz's example graphs and drawing them.
#include "support/example_graphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "graphviz/child_process.h"
#include "graphviz/run_dot.h"

namespace vantri::testing {
namespace {

namespace fs = std::filesystem;

// The graph's DOT text; compressed ones go through `gzip -dc`.
std::string read_graph(const fs::path& path) {
  if (path.extension() == ".gz") {
    auto run = run_child({"gzip", "-dc", path.string()}, "");
    if (!run) {
      ADD_FAILURE() << path << ": " << run.error().error.display();
      return {};
    }
    EXPECT_EQ(run->exit_code, 0) << path << ": " << run->err;
    return run->out;
  }
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

const std::vector<ExampleGraph>& example_graphs() {
  static const std::vector<ExampleGraph> graphs = [] {
    std::vector<fs::path> paths;
    std::error_code error;
    const fs::path root = kExampleGraphDir;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && (name.ends_with(".gv") || name.ends_with(".gv.gz"))) {
        paths.push_back(entry.path());
      }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<ExampleGraph> read;
    for (const fs::path& path : paths) {
      read.push_back({path.lexically_relative(root).string(), read_graph(path)});
    }
    return read;
  }();
  return graphs;
}

std::expected<Drawing, RenderError> draw_example(const ExampleGraph& graph,
                                                 const RenderOptions& options,
                                                 int* layouts) {
  int runs = 1;
  const LayoutFunction counted = [&runs](std::string_view source,
                                         std::span<const std::string> args) {
    ++runs;
    return layout_with_dot(source, args);
  };
  auto layout = layout_with_dot(graph.source);
  if (!layout) return std::unexpected(std::move(layout.error()));
  auto drawing = draw_layout(graph.source, std::move(*layout), options, counted);
  if (layouts != nullptr) *layouts = runs;
  return drawing;
}

}  // namespace vantri::testing
