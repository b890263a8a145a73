// Builds the json0 text rank by rank: nodes first (clusters before them, as
// dot lists its subgraphs first), then the edges with their splines.
#include "bench/synthetic_json0.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <random>
#include <string_view>
#include <vector>

namespace vantri::bench {
namespace {

constexpr std::array<std::string_view, 16> kWords = {
    "parse", "load",  "check", "build", "merge", "split", "store", "fetch",
    "scan",  "render", "route", "queue", "cache", "index", "sort",  "emit"};
constexpr std::array<std::string_view, 6> kColors = {
    "lightblue", "palegreen", "#ffcc88", "pink", "gold", "lightgrey"};

// dot's numbers: coordinates to a tenth of a point, sizes in inches to four
// decimals, both without trailing zeros.
std::string num(double value, int decimals) {
  char buffer[64];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::fixed, decimals).ptr;
  std::string text(buffer, end);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}
std::string pt(double x, double y) { return num(x, 1) + "," + num(y, 1); }

// Labels hold DOT escapes such as `\n`; json0 keeps them, escaping the
// backslash.
std::string json_escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

struct Node {
  std::string label;
  double x = 0;
  double y = 0;
  double width = 0;  // points
  std::size_t rank = 0;
};

class Generator {
 public:
  Generator(std::size_t nodes, std::uint64_t seed) : rng_(seed ^ (nodes * 0x9E3779B97F4A7C15ULL)) {
    nodes_.reserve(nodes);
  }

  std::string run(std::size_t count) {
    place_nodes(count);
    plan_clusters();
    plan_edges();
    return write();
  }

 private:
  static constexpr double kNodeHeight = 36;
  static constexpr double kRankStep = 90;
  static constexpr double kNodeSep = 18;

  // Uniform in [lo, hi], independent of the library's distributions.
  std::size_t pick(std::size_t lo, std::size_t hi) {
    return lo + static_cast<std::size_t>(rng_() % (hi - lo + 1));
  }
  bool chance(double p) { return static_cast<double>(rng_() % 1000000) < p * 1e6; }

  std::string make_label(std::size_t i) {
    std::string text(kWords[pick(0, kWords.size() - 1)]);
    if (chance(0.5)) text.append(" ").append(kWords[pick(0, kWords.size() - 1)]);
    text.append(" ").append(std::to_string(i));
    if (chance(0.1)) text.append("\\n").append(kWords[pick(0, kWords.size() - 1)]);
    return text;
  }

  static std::size_t widest_line(std::string_view label) {
    std::size_t widest = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t end = label.find("\\n", start);
      widest = std::max(widest, (end == label.npos ? label.size() : end) - start);
      if (end == label.npos) return widest;
      start = end + 2;
    }
  }

  void place_nodes(std::size_t count) {
    std::size_t placed = 0;
    while (placed < count) {
      const std::size_t size = std::min(pick(4, 12), count - placed);
      ranks_.emplace_back();
      // Ranks are centred on one another, as dot centres a layered chart.
      double x = 0;
      for (std::size_t k = 0; k < size; ++k) {
        Node node;
        node.label = make_label(placed);
        node.width = std::max(54.0, 7.8 * static_cast<double>(widest_line(node.label)) + 16);
        node.rank = ranks_.size() - 1;
        node.x = x + node.width / 2;
        x += node.width + kNodeSep + static_cast<double>(pick(0, 40));
        ranks_.back().push_back(placed++);
        nodes_.push_back(std::move(node));
      }
      rank_widths_.push_back(x - kNodeSep);
    }
    width_ = *std::ranges::max_element(rank_widths_) + 16;
    height_ = static_cast<double>(ranks_.size()) * kRankStep + 16;
    for (std::size_t r = 0; r < ranks_.size(); ++r) {
      const double shift = (width_ - rank_widths_[r]) / 2;
      for (std::size_t i : ranks_[r]) {
        nodes_[i].x += shift;
        nodes_[i].y = height_ - 8 - kNodeHeight / 2 - static_cast<double>(r) * kRankStep;
      }
    }
  }

  void plan_clusters() {
    for (std::size_t r = 3; r < ranks_.size(); r += 10) {
      const std::vector<std::size_t>& members = ranks_[r];
      if (members.size() < 5) continue;
      const std::size_t start = pick(0, members.size() - 4);
      const std::size_t end = start + pick(3, std::min<std::size_t>(6, members.size() - start));
      clusters_.emplace_back(members.begin() + static_cast<std::ptrdiff_t>(start),
                             members.begin() + static_cast<std::ptrdiff_t>(end));
    }
  }

  void add_edge(std::size_t tail, std::size_t head) {
    std::string label;
    if (chance(0.1)) {
      label = std::string(kWords[pick(0, kWords.size() - 1)]) + " " +
              std::to_string(pick(1, 99));
    }
    edges_.push_back({tail, head, std::move(label)});
  }

  void plan_edges() {
    for (std::size_t r = 0; r < ranks_.size(); ++r) {
      const std::vector<std::size_t>& members = ranks_[r];
      for (std::size_t k = 0; k < members.size(); ++k) {
        const std::size_t i = members[k];
        if (r + 1 < ranks_.size()) {
          const std::vector<std::size_t>& below = ranks_[r + 1];
          const std::size_t pos = k * below.size() / members.size();
          const std::size_t fan = chance(0.25) ? 2 : 1;
          for (std::size_t f = 0; f < fan; ++f) {
            const std::size_t j = std::clamp<std::ptrdiff_t>(
                static_cast<std::ptrdiff_t>(pos) + static_cast<std::ptrdiff_t>(pick(0, 2)) - 1, 0,
                static_cast<std::ptrdiff_t>(below.size()) - 1);
            add_edge(i, below[j]);
          }
        }
        const double roll = static_cast<double>(pick(0, 999)) / 1000;
        if (roll < 0.04 && r + 3 < ranks_.size()) {
          const auto& far = ranks_[r + pick(2, 3)];
          add_edge(i, far[pick(0, far.size() - 1)]);
        } else if (roll < 0.06 && r >= 2) {
          const auto& up = ranks_[r - pick(1, 2)];
          add_edge(i, up[pick(0, up.size() - 1)]);
        } else if (roll < 0.07 && members.size() > 1) {
          const std::size_t j = members[pick(0, members.size() - 1)];
          if (j != i) add_edge(i, j);
        }
      }
    }
  }

  // The spline of an edge: from the tail's border to just short of the
  // head's border, where the arrowhead ("e,") ends. Edges across several
  // ranks get three more control points per rank crossed.
  std::string spline(const Node& tail, const Node& head) {
    if (tail.rank == head.rank) {
      const bool right = head.x > tail.x;
      const double sx = tail.x + (right ? tail.width / 2 : -tail.width / 2);
      const double ex = head.x + (right ? -head.width / 2 : head.width / 2);
      const double arrow_base = ex + (right ? -10 : 10);
      const double lift = std::abs(ex - sx) > 300 ? 40 : 0;
      return "e," + pt(ex, head.y) + " " + pt(sx, tail.y) + " " +
             pt(sx + (arrow_base - sx) / 3, tail.y + lift) + " " +
             pt(sx + 2 * (arrow_base - sx) / 3, head.y + lift) + " " + pt(arrow_base, head.y);
    }
    const bool down = head.y < tail.y;
    const double half = kNodeHeight / 2;
    const double sy = tail.y + (down ? -half : half);
    const double ey = head.y + (down ? half : -half);
    const double base_y = ey + (down ? 10 : -10);
    const std::size_t span = std::max(head.rank, tail.rank) - std::min(head.rank, tail.rank);
    std::string points = "e,";
    points.append(pt(head.x, ey)).append(" ").append(pt(tail.x, sy));
    double x = tail.x;
    double y = sy;
    for (std::size_t s = 0; s < span; ++s) {
      const bool last = s + 1 == span;
      const double nx = last ? head.x : x + static_cast<double>(pick(0, 120)) - 60;
      const double ny = last ? base_y : y + (down ? -kRankStep : kRankStep);
      points.append(" ").append(pt(x + (nx - x) / 4, y + (ny - y) / 3));
      points.append(" ").append(pt(x + 3 * (nx - x) / 4, y + 2 * (ny - y) / 3));
      points.append(" ").append(pt(nx, ny));
      x = nx;
      y = ny;
    }
    return points;
  }

  std::string write() {
    const std::size_t subgraphs = clusters_.size();
    std::string out;
    out.reserve(nodes_.size() * 220 + edges_.size() * 200);
    out += "{\n  \"name\": \"synthetic\",\n  \"directed\": true,\n  \"strict\": false,\n";
    out += "  \"bb\": \"0,0," + num(width_, 1) + "," + num(height_, 1) + "\",\n";
    out += "  \"_subgraph_cnt\": " + std::to_string(subgraphs) + ",\n  \"objects\": [\n";
    bool first = true;
    const auto separate = [&] {
      if (!first) out += ",\n";
      first = false;
    };
    for (std::size_t c = 0; c < subgraphs; ++c) {
      const std::vector<std::size_t>& members = clusters_[c];
      const Node& left = nodes_[members.front()];
      const Node& right = nodes_[members.back()];
      const double x0 = left.x - left.width / 2 - 8;
      const double x1 = right.x + right.width / 2 + 8;
      const double y0 = left.y - kNodeHeight / 2 - 8;
      const double y1 = left.y + kNodeHeight / 2 + 25;
      separate();
      out += "    {\n      \"name\": \"cluster_" + std::to_string(c) + "\",\n      \"bb\": \"" +
             pt(x0, y0) + "," + pt(x1, y1) + "\",\n      \"label\": \"stage " +
             std::to_string(left.rank) + "\",\n      \"lp\": \"" + pt((x0 + x1) / 2, y1 - 11.5) +
             "\",\n      \"_gvid\": " + std::to_string(c) + ",\n      \"nodes\": [\n        ";
      for (std::size_t m = 0; m < members.size(); ++m) {
        if (m) out += ",";
        out += std::to_string(subgraphs + members[m]);
      }
      out += "\n      ]\n    }";
    }
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
      const Node& node = nodes_[i];
      separate();
      out += "    {\n      \"_gvid\": " + std::to_string(subgraphs + i) + ",\n      \"name\": \"n" +
             std::to_string(i) + "\",\n";
      if (chance(0.125)) {
        out += "      \"fillcolor\": \"" + std::string(kColors[pick(0, kColors.size() - 1)]) +
               "\",\n      \"style\": \"filled\",\n";
      }
      out += "      \"height\": \"0.5\",\n      \"label\": \"" + json_escaped(node.label) +
             "\",\n      \"pos\": \"" + pt(node.x, node.y) +
             "\",\n      \"shape\": \"box\",\n      \"width\": \"" + num(node.width / 72, 4) +
             "\"\n    }";
    }
    out += "\n  ],\n  \"edges\": [\n";
    first = true;
    for (std::size_t e = 0; e < edges_.size(); ++e) {
      const EdgePlanEntry& edge = edges_[e];
      const Node& tail = nodes_[edge.tail];
      const Node& head = nodes_[edge.head];
      separate();
      out += "    {\n      \"_gvid\": " + std::to_string(e) + ",\n      \"tail\": " +
             std::to_string(subgraphs + edge.tail) + ",\n      \"head\": " +
             std::to_string(subgraphs + edge.head) + ",\n      \"label\": \"" + edge.label + "\",\n";
      if (!edge.label.empty()) {
        out += "      \"lp\": \"" +
               pt((tail.x + head.x) / 2 + 4 * static_cast<double>(edge.label.size()),
                  (tail.y + head.y) / 2) +
               "\",\n";
      }
      out += "      \"pos\": \"" + spline(tail, head) + "\"\n    }";
    }
    out += "\n  ]\n}\n";
    return out;
  }

  struct EdgePlanEntry {
    std::size_t tail;
    std::size_t head;
    std::string label;
  };

  std::mt19937_64 rng_;
  std::vector<Node> nodes_;
  std::vector<std::vector<std::size_t>> ranks_;
  std::vector<double> rank_widths_;
  std::vector<std::vector<std::size_t>> clusters_;
  std::vector<EdgePlanEntry> edges_;
  double width_ = 0;
  double height_ = 0;
};

}  // namespace

std::string synthetic_json0(std::size_t nodes, std::uint64_t seed) {
  if (nodes == 0) return "{\"bb\": \"0,0,0,0\"}\n";
  return Generator(nodes, seed).run(nodes);
}

}  // namespace vantri::bench
