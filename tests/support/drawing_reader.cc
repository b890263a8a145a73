// Reading lines, arrowheads, boxes and frames off a finished drawing.
#include "support/drawing_reader.h"

#include <algorithm>
#include <numeric>

#include "grid/cell_arith.h"
#include "grid/grid_transform.h"
#include "text/utf8.h"

namespace vantri::testing {
namespace {

using Kind = Glyph::Kind;
using What = ReadCell::What;

constexpr Toward kDirections[] = {Toward::Up, Toward::Down, Toward::Left, Toward::Right};

bool across(Toward d) { return d == Toward::Left || d == Toward::Right; }

Glyph line(bool up, bool down, bool left, bool right) {
  return {Kind::Line, {up, down, left, right}, Toward::Down};
}
Glyph arrow(Toward d) { return {Kind::Arrow, {}, d}; }
constexpr Glyph kOutline{Glyph::Kind::Outline, {}, Toward::Down};
constexpr Glyph kCrossing{Glyph::Kind::Crossing, {true, true, true, true}, Toward::Down};

// The characters of one weight: ─ │ ┌ ┐ └ ┘ ├ ┤ ┬ ┴ ┼ in that order.
void add_weight(std::vector<std::pair<char32_t, Glyph>>& out, std::u32string_view c) {
  out.push_back({c[0], line(false, false, true, true)});
  out.push_back({c[1], line(true, true, false, false)});
  out.push_back({c[2], line(false, true, false, true)});
  out.push_back({c[3], line(false, true, true, false)});
  out.push_back({c[4], line(true, false, false, true)});
  out.push_back({c[5], line(true, false, true, false)});
  out.push_back({c[6], line(true, true, false, true)});
  out.push_back({c[7], line(true, true, true, false)});
  out.push_back({c[8], line(false, true, true, true)});
  out.push_back({c[9], line(true, false, true, true)});
  out.push_back({c[10], kCrossing});
}

// The cells of a cluster's frame outline: the top edge one row under the
// mapped top (its title included), the bottom edge and the two sides.
template <class Visit>
void frame_outline(const LayoutCluster& cluster, const GridTransform& transform, Visit visit) {
  const std::uint64_t top = row_of(transform, cluster.bb.y1);
  const std::uint64_t bottom = row_of(transform, cluster.bb.y0);
  const std::uint64_t left = column_of(transform, cluster.bb.x0);
  const std::uint64_t right = column_of(transform, cluster.bb.x1);
  if (right <= left + 1 || bottom <= top + 2) return;  // not drawn
  for (std::uint64_t c = left; c <= right; ++c) {
    visit(GridPoint{top + 1, c});
    visit(GridPoint{bottom, c});
  }
  for (std::uint64_t r = top + 2; r < bottom; ++r) {
    visit(GridPoint{r, left});
    visit(GridPoint{r, right});
  }
}

}  // namespace

bool Arms::has(Toward d) const {
  switch (d) {
    case Toward::Up: return up;
    case Toward::Down: return down;
    case Toward::Left: return left;
    case Toward::Right: return right;
  }
  return false;
}

GlyphTable::GlyphTable(const std::vector<std::pair<char32_t, Glyph>>& glyphs)
    : glyphs_(glyphs.begin(), glyphs.end()) {}

Glyph GlyphTable::operator()(char32_t c) const {
  const auto found = glyphs_.find(c);
  return found == glyphs_.end() ? Glyph{} : found->second;
}

const GlyphTable& unicode_glyphs() {
  static const GlyphTable table = [] {
    std::vector<std::pair<char32_t, Glyph>> g;
    add_weight(g, U"─│┌┐└┘├┤┬┴┼");
    add_weight(g, U"━┃┏┓┗┛┣┫┳┻╋");
    // Dashed and dotted lines; their corners and junctions are light.
    g.push_back({U'┄', line(false, false, true, true)});
    g.push_back({U'┆', line(true, true, false, false)});
    g.push_back({U'┈', line(false, false, true, true)});
    g.push_back({U'┊', line(true, true, false, false)});
    g.push_back({U'▲', arrow(Toward::Up)});
    g.push_back({U'▼', arrow(Toward::Down)});
    g.push_back({U'◀', arrow(Toward::Left)});
    g.push_back({U'▶', arrow(Toward::Right)});
    // Frames, and boxes in their styles: rounded, double, dashed, dotted.
    for (const char32_t c : std::u32string_view(U"╌╎╍╏┅┇‥╭╮╰╯═║╔╗╚╝")) g.push_back({c, kOutline});
    return GlyphTable(g);
  }();
  return table;
}

const GlyphTable& ascii_glyphs() {
  static const GlyphTable table(std::vector<std::pair<char32_t, Glyph>>{
      {U'-', line(false, false, true, true)},
      {U'|', line(true, true, false, false)},
      {U'+', {Kind::Joint, {}, Toward::Down}},
      {U'^', arrow(Toward::Up)},
      {U'v', arrow(Toward::Down)},
      {U'<', arrow(Toward::Left)},
      {U'>', arrow(Toward::Right)},
  });
  return table;
}

ReadDrawing::ReadDrawing(const Drawing& drawing, std::string_view text, const GlyphTable& glyphs)
    : screen_(text) {
  // Part numbers are 32 bits: a canvas has at most kMaxCanvasCells cells.
  rows_ = std::max(screen_.rows(), drawing.grid.height());
  columns_ = std::max(screen_.columns(), drawing.grid.width());
  cells_.assign(rows_ * columns_, ReadCell{});
  classify(drawing, glyphs);
  join_parts();
  gather_networks();
}

const ReadCell& ReadDrawing::at(GridPoint p) const {
  static const ReadCell kBlank{};
  return p.row < rows_ && p.col < columns_ ? cells_[index(p)] : kBlank;
}

void ReadDrawing::classify(const Drawing& drawing, const GlyphTable& glyphs) {
  std::vector<bool> frame(cells_.size(), false);
  for (const LayoutCluster& cluster : drawing.layout.clusters) {
    frame_outline(cluster, drawing.transform, [&](GridPoint p) {
      if (p.row < rows_ && p.col < columns_) frame[index(p)] = true;
    });
  }
  std::vector<bool> joint(cells_.size(), false);
  for (std::uint64_t r = 0; r < rows_; ++r) {
    for (std::uint64_t c = 0; c < columns_; ++c) {
      ReadCell& cell = cells_[index({r, c})];
      cell.shown = screen_.at(r, c);
      const Glyph g = glyphs(cell.shown);
      const bool on_frame = frame[index({r, c})];
      switch (g.kind) {
        case Kind::Other:
          cell.what = cell.shown == U' ' ? What::Blank : What::Text;
          break;
        case Kind::Outline:
          cell.what = on_frame ? What::Frame : What::Text;
          break;
        case Kind::Line:
        case Kind::Crossing:
        case Kind::Joint:
          cell.what = on_frame ? What::Frame : What::Line;
          cell.arms = g.arms;
          cell.crossing = g.kind == Kind::Crossing;
          joint[index({r, c})] = g.kind == Kind::Joint && !on_frame;
          break;
        case Kind::Arrow:
          cell.what = What::Arrow;
          cell.points = g.points;
          break;
      }
    }
  }
  // Boxes hide whatever their cells show.
  std::vector<bool> left_out(drawing.boxes.size(), false);
  for (const std::size_t n : drawing.left_out) {
    if (n < left_out.size()) left_out[n] = true;
  }
  for (std::size_t n = 0; n < drawing.boxes.size() && n < drawing.layout.nodes.size(); ++n) {
    const NodeBox& b = drawing.boxes[n];
    if (drawing.layout.nodes[n].invisible || left_out[n] || b.width == 0 || b.height == 0) {
      continue;
    }
    for (std::uint64_t r = b.top; r <= b.bottom() && r < rows_; ++r) {
      for (std::uint64_t c = b.left; c <= b.right() && c < columns_; ++c) {
        ReadCell& cell = cells_[index({r, c})];
        cell = ReadCell{What::Box, cell.shown, {}, false, Toward::Down,
                        static_cast<std::uint32_t>(n)};
        joint[index({r, c})] = false;
      }
    }
  }
  // A joint takes the arms of the neighbours that reach into it.
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (!joint[i]) continue;
    const GridPoint p{i / columns_, i % columns_};
    Arms arms;
    for (const Toward d : kDirections) {
      const GridPoint n = step(p, d);
      const std::size_t k = n.row < rows_ && n.col < columns_ ? index(n) : cells_.size();
      if (k == cells_.size()) continue;
      const ReadCell& other = cells_[k];
      const bool reaches = (other.what == What::Line && (joint[k] || other.arms.has(opposite(d)))) ||
                           (other.what == What::Arrow && other.points != opposite(d));
      if (!reaches) continue;
      switch (d) {
        case Toward::Up: arms.up = true; break;
        case Toward::Down: arms.down = true; break;
        case Toward::Left: arms.left = true; break;
        case Toward::Right: arms.right = true; break;
      }
    }
    cells_[i].arms = arms;
    cells_[i].crossing = arms.count() == 4;
  }
}

std::size_t ReadDrawing::part(GridPoint p, Toward d) const {
  return 2 * index(p) + (across(d) ? 0 : 1);
}

std::uint32_t ReadDrawing::find(std::uint32_t x) {
  while (parent_[x] != x) {
    parent_[x] = parent_[parent_[x]];
    x = parent_[x];
  }
  return x;
}

void ReadDrawing::unite(std::size_t x, std::size_t y) {
  const std::uint32_t a = find(static_cast<std::uint32_t>(x));
  const std::uint32_t b = find(static_cast<std::uint32_t>(y));
  if (a != b) parent_[std::max(a, b)] = std::min(a, b);
}

bool ReadDrawing::reaches(GridPoint n, Toward toward) const {
  const ReadCell& cell = at(n);
  if (cell.what == What::Line) return cell.arms.has(toward);
  // An arrowhead continues the line behind it and beside it, not the one
  // it points at.
  if (cell.what == What::Arrow) return cell.points != toward;
  return false;
}

void ReadDrawing::join_parts() {
  parent_.resize(2 * cells_.size());
  std::iota(parent_.begin(), parent_.end(), std::uint32_t{0});
  live_.assign(parent_.size(), false);
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const ReadCell& cell = cells_[i];
    if (cell.what != What::Line && cell.what != What::Arrow) continue;
    live_[2 * i] = live_[2 * i + 1] = true;
    if (!cell.crossing) unite(2 * i, 2 * i + 1);
  }
  // A line that meets a frame goes on across it when a line carries on
  // straight beyond: the frame stands on a crossing.
  const auto across_frames = [&](GridPoint p, Toward d) {
    std::vector<GridPoint> bridged;
    GridPoint n = step(p, d);
    while (at(n).what == What::Frame && bridged.size() < 4) {
      bridged.push_back(n);
      n = step(n, d);
    }
    // Beyond the frame: a line going on, or the box it joins (a line that
    // leaves a box through a frame right beside it).
    const bool box = at(n).what == What::Box;
    if (bridged.empty() || !(box || reaches(n, opposite(d)))) return;
    for (const GridPoint f : bridged) {
      live_[part(f, d)] = true;
      unite(part(p, d), part(f, d));
    }
    if (box) {
      box_joins_.push_back({part(p, d), at(n).node, false});
    } else {
      unite(part(p, d), part(n, opposite(d)));
    }
  };
  for (std::uint64_t r = 0; r < rows_; ++r) {
    for (std::uint64_t c = 0; c < columns_; ++c) {
      const GridPoint p{r, c};
      const ReadCell& cell = cells_[index(p)];
      if (cell.what == What::Line) {
        for (const Toward d : kDirections) {
          if (!cell.arms.has(d)) continue;
          const GridPoint n = step(p, d);
          const ReadCell& other = at(n);
          if (reaches(n, opposite(d))) {
            unite(part(p, d), part(n, opposite(d)));
          } else if (other.what == What::Box) {
            box_joins_.push_back({part(p, d), other.node, false});
          } else if (other.what == What::Frame) {
            across_frames(p, d);
          }
        }
      } else if (cell.what == What::Arrow) {
        const ReadCell& front = at(step(p, cell.points));
        if (front.what == What::Box) {
          box_joins_.push_back({part(p, cell.points), front.node, true});
        } else {
          stray_.push_back(p);
        }
        // Behind it: the box it leaves (a line one cell long), another
        // arrowhead pointing the other way, or a frame to cross.
        const Toward back = opposite(cell.points);
        const GridPoint b = step(p, back);
        const ReadCell& behind = at(b);
        if (behind.what == What::Box) {
          box_joins_.push_back({part(p, back), behind.node, false});
        } else if (behind.what == What::Arrow && behind.points == back) {
          unite(part(p, back), part(b, cell.points));
        } else if (behind.what == What::Frame) {
          across_frames(p, back);
        }
      }
    }
  }
}

void ReadDrawing::gather_networks() {
  network_of_.assign(parent_.size(), kNoNetwork);
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    for (const std::size_t k : {2 * i, 2 * i + 1}) {
      if (!live_[k]) continue;
      const std::uint32_t root = find(static_cast<std::uint32_t>(k));
      if (network_of_[root] == kNoNetwork) {
        network_of_[root] = static_cast<std::uint32_t>(networks_.size());
        networks_.push_back({{}, {}, 0, {i / columns_, i % columns_}});
      }
      network_of_[k] = network_of_[root];
      // A cell counts once in a network, though a crossing counts in two.
      if (k == 2 * i + 1 && live_[2 * i] && network_of_[2 * i] == network_of_[k]) continue;
      ++networks_[network_of_[k]].cells;
    }
  }
  for (const BoxJoin& j : box_joins_) {
    Network& net = networks_[network_of_[j.part]];
    (j.arrow ? net.heads : net.tails).insert(j.node);
  }
  // Only the answers are kept.
  std::vector<std::uint32_t>().swap(parent_);
  std::vector<bool>().swap(live_);
  std::vector<BoxJoin>().swap(box_joins_);
}

std::size_t ReadDrawing::network_at(GridPoint p, Toward d) const {
  if (p.row >= rows_ || p.col >= columns_) return kNone;
  const std::uint32_t n = network_of_[part(p, d)];
  return n == kNoNetwork ? kNone : n;
}

std::vector<std::size_t> ReadDrawing::networks_at(GridPoint p) const {
  std::vector<std::size_t> out;
  for (const Toward d : {Toward::Left, Toward::Up}) {
    const std::size_t n = network_at(p, d);
    if (n != kNone && std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
  }
  return out;
}

std::string ReadDrawing::text(std::uint64_t row, std::uint64_t first,
                              std::uint64_t columns) const {
  if (columns == 0) return {};
  return screen_.text(row, first, first + columns - 1);
}

}  // namespace vantri::testing
