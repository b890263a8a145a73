// Times vantri's own share of a render on layouts `dot` wrote, and counts
// what each drawing shows: json0 text to the finished drawing, CPU time of
// this thread, median of several renders; the edges that were drawn and the
// edge labels that were shown, against those the layout has.
//
//   own_share [--reps N] [--min-seconds S] [--stops N]
//             NAME=LAYOUT.json=SOURCE.gv ...
//
// Prints one JSON object per layout and line: name, nodes, edges (visible
// edges between two drawn boxes), drawn, labels, labels_shown, ms (median
// CPU milliseconds per render), renders. A layout is rendered at least
// `--reps` times (default 5), and more while the renders so far took less
// than `--min-seconds` (default 0.3) in all; a slow one is rendered `--reps`
// times whatever it costs.
//
// With `--stops N`, each layout is also rendered N more times with a
// deadline spread evenly over the render's time: stop_ms is the longest
// wall-clock time from a deadline to the render's return, and stops the
// number of renders the deadline stopped.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/json0_reader.h"
#include "graphviz/stop_check.h"
#include "render/render_graph.h"

namespace {

double thread_cpu_ms() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

bool read_file(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

struct Counts {
  std::size_t nodes = 0;
  std::size_t edges = 0;
  std::size_t drawn = 0;
  std::size_t labels = 0;
  std::size_t labels_shown = 0;
};

// What the drawing of `layout` shows of its edges and their labels.
bool count_shown(std::string_view source, vantri::LayoutGraph layout, Counts& counts) {
  const vantri::RenderOptions options;
  auto drawing = vantri::draw_layout(source, std::move(layout), options, {});
  if (!drawing) {
    std::cerr << "own_share: " << vantri::display(drawing.error()) << "\n";
    return false;
  }
  const auto& edges = drawing->layout.edges;
  const auto& boxes = drawing->boxes;
  const auto& routes = drawing->plan.routes;
  counts.nodes = drawing->layout.nodes.size();
  std::vector<bool> labelled(edges.size(), false);
  for (const vantri::PlacedLabel& label : drawing->plan.labels) {
    if (label.role == vantri::LabelRole::Edge && label.owner < labelled.size()) {
      labelled[label.owner] = true;
    }
  }
  const auto box_drawn = [&](std::size_t node) {
    return node < boxes.size() && boxes[node].width != 0 && boxes[node].height != 0;
  };
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const vantri::LayoutEdge& edge = edges[i];
    if (edge.invisible || !box_drawn(edge.tail) || !box_drawn(edge.head)) continue;
    ++counts.edges;
    if (i < routes.size() && !routes[i].points.empty()) ++counts.drawn;
    if (edge.label && !edge.label->empty()) {
      ++counts.labels;
      if (labelled[i]) ++counts.labels_shown;
    }
  }
  return true;
}

// The longest time from a deadline to the render's return, in ms, over
// `count` renders whose deadlines lie evenly spread over `render_ms`; and
// how many renders the deadline stopped.
std::pair<double, std::size_t> stop_latency(const std::string& json0, const std::string& source,
                                            double render_ms, std::size_t count) {
  using Clock = vantri::StopCheck::Clock;
  double worst = 0;
  std::size_t stopped = 0;
  for (std::size_t k = 1; k <= count; ++k) {
    const auto after = std::chrono::duration<double, std::milli>(
        render_ms * static_cast<double>(k) / static_cast<double>(count + 1));
    const Clock::time_point start = Clock::now();
    const Clock::time_point at = start + std::chrono::duration_cast<Clock::duration>(after);
    vantri::StopCheck stop(nullptr, {}, vantri::StopCheck::Deadline{at, after.count() / 1e3});
    auto layout = vantri::read_json0(json0);
    if (!layout) continue;
    const vantri::RenderOptions options;
    auto text = vantri::render_layout(source, std::move(*layout), options, {}, &stop);
    const Clock::time_point end = Clock::now();
    if (!text && std::holds_alternative<vantri::RenderStopped>(text.error())) {
      ++stopped;
      worst = std::max(worst, std::chrono::duration<double, std::milli>(end - at).count());
    }
  }
  return {worst, stopped};
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t reps = 5;
  double min_seconds = 0.3;
  std::size_t stops = 0;
  std::vector<std::string> specs;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--reps" && i + 1 < argc) {
      reps = std::max<std::size_t>(1, std::stoul(argv[++i]));
    } else if (arg == "--stops" && i + 1 < argc) {
      stops = std::stoul(argv[++i]);
    } else if (arg == "--min-seconds" && i + 1 < argc) {
      min_seconds = std::stod(argv[++i]);
    } else {
      specs.emplace_back(arg);
    }
  }
  for (const std::string& spec : specs) {
    const std::size_t first = spec.find('=');
    const std::size_t second = first == spec.npos ? spec.npos : spec.find('=', first + 1);
    if (second == spec.npos) {
      std::cerr << "own_share: wants NAME=LAYOUT.json=SOURCE.gv, not " << spec << "\n";
      return 2;
    }
    const std::string name = spec.substr(0, first);
    std::string json0, source;
    if (!read_file(spec.substr(first + 1, second - first - 1), json0) ||
        !read_file(spec.substr(second + 1), source)) {
      std::cerr << "own_share: cannot read the files of " << name << "\n";
      return 2;
    }
    auto probe = vantri::read_json0(json0);
    if (!probe) {
      std::cerr << "own_share: " << name << ": " << probe.error().display() << "\n";
      return 1;
    }
    Counts counts;
    if (!count_shown(source, std::move(*probe), counts)) return 1;

    std::vector<double> times;
    double spent = 0;
    while (times.size() < reps || spent < min_seconds * 1e3) {
      const double start = thread_cpu_ms();
      auto layout = vantri::read_json0(json0);
      if (!layout) return 1;
      const vantri::RenderOptions options;  // the defaults of vantri.render()
      auto text = vantri::render_layout(source, std::move(*layout), options, {});
      if (!text) {
        std::cerr << "own_share: " << name << ": " << vantri::display(text.error()) << "\n";
        return 1;
      }
      const double took = thread_cpu_ms() - start;
      times.push_back(took);
      spent += took;
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::cout << "{\"name\": \"" << name << "\", \"nodes\": " << counts.nodes
              << ", \"edges\": " << counts.edges << ", \"drawn\": " << counts.drawn
              << ", \"labels\": " << counts.labels << ", \"labels_shown\": " << counts.labels_shown
              << ", \"ms\": " << median << ", \"renders\": " << n;
    if (stops > 0) {
      const auto [worst, stopped] = stop_latency(json0, source, median, stops);
      std::cout << ", \"stop_ms\": " << worst << ", \"stops\": " << stopped;
    }
    std::cout << "}" << std::endl;
  }
  return 0;
}
