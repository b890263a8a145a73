// Reading printed drawings back; see ascii_read_back.h.
#include "support/ascii_read_back.h"

#include <array>
#include <optional>

#include "render_edges/route_plan.h"
#include "text/char_width.h"
#include "text/utf8.h"

namespace vantri::testing {
namespace {

constexpr LineFlags kUp{true, false, false, false};
constexpr LineFlags kDown{false, true, false, false};
constexpr LineFlags kLeft{false, false, true, false};
constexpr LineFlags kRight{false, false, false, true};

constexpr LineFlags dirs(const char* s) {
  LineFlags f;
  for (; *s; ++s) {
    if (*s == 'u') f.up = true;
    if (*s == 'd') f.down = true;
    if (*s == 'l') f.left = true;
    if (*s == 'r') f.right = true;
  }
  return f;
}

Reading line(Weight w, const char* d) {
  Reading r{Reading::What::Line, w, dirs(d), {}};
  r.crossing = r.dirs == dirs("udlr");
  return r;
}
Reading arrow(const char* d) { return {Reading::What::Arrow, Weight::Light, dirs(d), {}}; }
Reading of(Reading::What what) { return {what, Weight::Light, {}, {}}; }

// What a box-drawing glyph tells on its own.
Reading read_box_glyph(char32_t c) {
  using W = Weight;
  switch (c) {
    case U' ': return of(Reading::What::Blank);
    case U'─': return line(W::Light, "lr");
    case U'│': return line(W::Light, "ud");
    case U'┌': return line(W::Light, "dr");
    case U'┐': return line(W::Light, "dl");
    case U'└': return line(W::Light, "ur");
    case U'┘': return line(W::Light, "ul");
    case U'├': return line(W::Light, "udr");
    case U'┤': return line(W::Light, "udl");
    case U'┬': return line(W::Light, "lrd");
    case U'┴': return line(W::Light, "lru");
    case U'┼': return line(W::Light, "udlr");
    case U'╌': return line(W::DoubleDash, "lr");
    case U'╎': return line(W::DoubleDash, "ud");
    case U'┄': return line(W::TripleDash, "lr");
    case U'┆': return line(W::TripleDash, "ud");
    case U'┈': return line(W::QuadrupleDash, "lr");
    case U'┊': return line(W::QuadrupleDash, "ud");
    case U'━': return line(W::Heavy, "lr");
    case U'┃': return line(W::Heavy, "ud");
    case U'┏': return line(W::Heavy, "dr");
    case U'┓': return line(W::Heavy, "dl");
    case U'┗': return line(W::Heavy, "ur");
    case U'┛': return line(W::Heavy, "ul");
    case U'┣': case U'┠': return line(W::Heavy, "udr");
    case U'┫': case U'┨': return line(W::Heavy, "udl");
    case U'┳': case U'┯': return line(W::Heavy, "lrd");
    case U'┻': case U'┷': return line(W::Heavy, "lru");
    case U'╋': return line(W::Heavy, "udlr");
    case U'╍': return line(W::HeavyDoubleDash, "lr");
    case U'╏': return line(W::HeavyDoubleDash, "ud");
    case U'┅': return line(W::HeavyTripleDash, "lr");
    case U'┇': return line(W::HeavyTripleDash, "ud");
    case U'═': return line(W::Double, "lr");
    case U'║': return line(W::Double, "ud");
    case U'╔': return line(W::Double, "dr");
    case U'╗': return line(W::Double, "dl");
    case U'╚': return line(W::Double, "ur");
    case U'╝': return line(W::Double, "ul");
    case U'╟': return line(W::Double, "udr");
    case U'╢': return line(W::Double, "udl");
    case U'╤': return line(W::Double, "lrd");
    case U'╧': return line(W::Double, "lru");
    case U'╭': return line(W::Rounded, "dr");
    case U'╮': return line(W::Rounded, "dl");
    case U'╰': return line(W::Rounded, "ur");
    case U'╯': return line(W::Rounded, "ul");
    case U'‥': return of(Reading::What::DottedFrame);
    case U'●': return of(Reading::What::Point);
    case U'▲': return arrow("u");
    case U'▼': return arrow("d");
    case U'◀': return arrow("l");
    case U'▶': return arrow("r");
    default: return of(Reading::What::Unknown);
  }
}

// What an ASCII glyph tells on its own; `+`, `#`, `/` and `\` come back
// without directions, which their neighbours give.
Reading read_ascii_glyph(char32_t c) {
  using W = Weight;
  switch (c) {
    case U' ': return of(Reading::What::Blank);
    case U'-': return line(W::Light, "lr");
    case U'|': return line(W::Light, "ud");
    case U'+': return line(W::Light, "");
    case U'.': return line(W::DoubleDash, "lr");
    case U':': return line(W::DoubleDash, "ud");
    case U'~': return line(W::TripleDash, "lr");
    case U'!': return line(W::TripleDash, "ud");
    case U',': return line(W::QuadrupleDash, "lr");
    case U';': return line(W::QuadrupleDash, "ud");
    case U'=': return line(W::Heavy, "lr");
    case U'H': return line(W::Heavy, "ud");
    case U'_': return line(W::HeavyDoubleDash, "lr");
    case U'[': return line(W::HeavyDoubleDash, "ud");
    case U'"': return line(W::HeavyTripleDash, "lr");
    case U']': return line(W::HeavyTripleDash, "ud");
    case U'#': return line(W::Double, "");
    case U'/': case U'\\': return line(W::Rounded, "");
    case U'\'': return of(Reading::What::DottedFrame);
    case U'*': return of(Reading::What::Point);
    case U'^': return arrow("u");
    case U'v': return arrow("d");
    case U'<': return arrow("l");
    case U'>': return arrow("r");
    default: return of(Reading::What::Unknown);
  }
}

bool has(LineFlags f, LineFlags d) {
  return (d.up && f.up) || (d.down && f.down) || (d.left && f.left) || (d.right && f.right);
}
LineFlags joined(LineFlags a, LineFlags b) {
  return {a.up || b.up, a.down || b.down, a.left || b.left, a.right || b.right};
}
LineFlags reverse(LineFlags d) { return {d.down, d.up, d.right, d.left}; }
bool is_heavy(Weight w) {
  return w == Weight::Heavy || w == Weight::HeavyDoubleDash || w == Weight::HeavyTripleDash;
}

using Readings = std::vector<std::vector<Reading>>;

Readings first_readings(const PrintedCells& cells, const CharGrid& grid, IsText is_text,
                        Reading (*glyph)(char32_t)) {
  Readings out(cells.rows.size());
  for (std::size_t r = 0; r < cells.rows.size(); ++r) {
    out[r].resize(cells.rows[r].size());
    for (std::size_t c = 0; c < cells.rows[r].size(); ++c) {
      const char32_t ch = cells.rows[r][c];
      if (is_text(grid, r, c)) {
        out[r][c] = of(Reading::What::Text);
        out[r][c].text = ch;
      } else {
        out[r][c] = glyph(ch);
        // Where record fields meet, four lines join rather than cross.
        if (out[r][c].crossing && grid.at(r, c).kind() == CellKind::Node) {
          out[r][c].crossing = false;
        }
      }
    }
  }
  return out;
}

}  // namespace

PrintedCells printed_cells(std::string_view text, std::uint64_t width) {
  PrintedCells out;
  out.rows.emplace_back();
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\n') {
      out.rows.emplace_back();
      ++i;
      continue;
    }
    if (text[i] == '\x1b') {
      std::size_t j = i + 1;
      if (j < text.size() && text[j] == '[') {
        ++j;
        while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || text[j] == ';')) ++j;
      }
      if (j >= text.size() || text[j] != 'm' || text[i + 1] != '[') {
        if (out.fault.empty()) out.fault = "an escape that is no colour sequence";
        return out;
      }
      i = j + 1;
      continue;
    }
    const char32_t c = next_code_point(text, i);
    const int w = char_width(c);
    if (w == 0) continue;
    out.rows.back().push_back(c);
    if (w == 2) out.rows.back().push_back(0);
  }
  if (!out.rows.empty() && out.rows.back().empty()) out.rows.pop_back();
  for (auto& row : out.rows) {
    if (row.size() > width && out.fault.empty()) out.fault = "a row wider than the grid";
    row.resize(static_cast<std::size_t>(width), U' ');
  }
  return out;
}

std::string describe(const Reading& r) {
  static constexpr const char* kWeights[] = {"light", "double-dash", "triple-dash",
                                             "quadruple-dash", "heavy", "heavy double-dash",
                                             "heavy triple-dash", "double", "rounded"};
  std::string d;
  if (r.dirs.up) d += 'u';
  if (r.dirs.down) d += 'd';
  if (r.dirs.left) d += 'l';
  if (r.dirs.right) d += 'r';
  std::string maybe;
  if (r.maybe.up) maybe += 'u';
  if (r.maybe.down) maybe += 'd';
  if (r.maybe.left) maybe += 'l';
  if (r.maybe.right) maybe += 'r';
  if (!maybe.empty()) d += " (maybe " + maybe + ")";
  if (r.crossing) d += " crossing";
  if (r.maybe_crossing) d += " (maybe crossing)";
  if (r.open_weight) d += " (maybe heavy)";
  switch (r.what) {
    case Reading::What::Blank: return "blank";
    case Reading::What::Line:
      return std::string(kWeights[static_cast<int>(r.weight)]) + " line " + d;
    case Reading::What::Arrow: return "arrowhead " + d;
    case Reading::What::Point: return "point";
    case Reading::What::DottedFrame: return "dotted frame";
    case Reading::What::Text: {
      std::string s = "text '";
      append_utf8(s, r.text);
      return s + "'";
    }
    case Reading::What::Unknown: return "unknown glyph";
  }
  return "?";
}

bool tells_same(const Reading& a, const Reading& u) {
  if (a.what != u.what) return false;
  if (a.what == Reading::What::Text) return a.text == u.text;
  if (a.what != Reading::What::Line) return a.dirs == u.dirs;
  const bool either = a.open_weight && (u.weight == Weight::Light || u.weight == Weight::Heavy);
  if (a.weight != u.weight && !either) return false;
  if (!a.maybe_crossing && a.crossing != u.crossing) return false;
  // certain <= shown <= certain + open
  const LineFlags all = joined(a.dirs, a.maybe);
  const auto within = [](LineFlags x, LineFlags y) {
    return (!x.up || y.up) && (!x.down || y.down) && (!x.left || y.left) && (!x.right || y.right);
  };
  return within(a.dirs, u.dirs) && within(u.dirs, all);
}

bool is_label_text(const CharGrid& grid, std::uint64_t row, std::uint64_t col) {
  if (!grid.contains(row, col)) return false;
  const Cell cell = grid.at(row, col);
  return (cell.kind() == CellKind::Node || cell.kind() == CellKind::Text) && !cell.is_drawn();
}

std::vector<std::vector<Reading>> read_unicode(const PrintedCells& cells, const CharGrid& grid,
                                               IsText is_text) {
  return first_readings(cells, grid, is_text, read_box_glyph);
}

std::vector<std::vector<Reading>> read_ascii(const PrintedCells& cells, const CharGrid& grid,
                                             IsText is_text) {
  Readings out = first_readings(cells, grid, is_text, read_ascii_glyph);
  const auto at = [&](std::size_t r, std::size_t c, LineFlags d) -> const Reading* {
    if (d.up && r == 0) return nullptr;
    if (d.left && c == 0) return nullptr;
    const std::size_t rr = d.up ? r - 1 : d.down ? r + 1 : r;
    const std::size_t cc = d.left ? c - 1 : d.right ? c + 1 : c;
    if (rr >= out.size() || cc >= out[rr].size()) return nullptr;
    return &out[rr][cc];
  };
  const auto glyph = [&](std::size_t r, std::size_t c) { return cells.rows[r][c]; };
  const auto neighbour_glyph = [&](std::size_t r, std::size_t c, LineFlags d) -> char32_t {
    const Reading* n = at(r, c, d);
    if (!n || n->what == Reading::What::Text) return 0;
    const std::size_t rr = d.up ? r - 1 : d.down ? r + 1 : r;
    const std::size_t cc = d.left ? c - 1 : d.right ? c + 1 : c;
    return glyph(rr, cc);
  };
  // A line reaches this cell from direction d: the neighbour there shows
  // a line pointing back, or an arrowhead pointing on.
  const auto reaches = [&](std::size_t r, std::size_t c, LineFlags d) {
    const Reading* n = at(r, c, d);
    if (!n) return false;
    if (n->what == Reading::What::Arrow) return n->dirs == d;
    return n->what == Reading::What::Line && has(n->dirs, reverse(d));
  };
  // A line may reach it: the neighbour is a junction, or something a line
  // may run into or under (a box's edge, a frame, label text), or the
  // drawing is cut there.
  const auto may_reach = [&](std::size_t r, std::size_t c, LineFlags d) {
    const Reading* n = at(r, c, d);
    if (!n) return (d.right && c + 1 == grid.width()) || (d.down && r + 1 == grid.height());
    return n->what == Reading::What::Text || n->what == Reading::What::Line;
  };
  // First the crossings: vertical lines side by side with lines reaching
  // the run from both sides are lines crossing.
  const auto vertical = [&](std::size_t r, std::size_t c) {
    const char32_t g = glyph(r, c);
    return out[r][c].what == Reading::What::Line && (g == U'|' || g == U'H');
  };
  for (std::size_t r = 0; r < out.size(); ++r) {
    for (std::size_t c = 0; c < out[r].size();) {
      if (!vertical(r, c)) {
        ++c;
        continue;
      }
      std::size_t end = c;
      while (end < out[r].size() && vertical(r, end)) ++end;
      const bool left = reaches(r, c, kLeft) && neighbour_glyph(r, c, kLeft) != U'+';
      const bool right = reaches(r, end - 1, kRight) && neighbour_glyph(r, end - 1, kRight) != U'+';
      for (std::size_t k = c; k < end; ++k) {
        if (left && right) {
          out[r][k].dirs = dirs("udlr");
          out[r][k].crossing = true;
        } else if ((left || may_reach(r, c, kLeft)) && (right || may_reach(r, end - 1, kRight))) {
          out[r][k].maybe = dirs("lr");
          out[r][k].maybe_crossing = true;
        }
      }
      c = end;
    }
  }
  // Then the corners and junctions, from the lines that reach them.
  Readings joined_out = out;
  for (std::size_t r = 0; r < out.size(); ++r) {
    for (std::size_t c = 0; c < out[r].size(); ++c) {
      const char32_t g = glyph(r, c);
      if (out[r][c].what != Reading::What::Line) continue;
      if (g != U'+' && g != U'#' && g != U'/' && g != U'\\') continue;
      Reading& result = joined_out[r][c];
      std::size_t arms = 0, heavy = 0, open_arms = 0, open_heavy = 0, into_crossings = 0;
      for (const LineFlags d : {kUp, kDown, kLeft, kRight}) {
        const Reading* n = at(r, c, d);
        if (!n) {
          if (g == U'+' && may_reach(r, c, d)) result.maybe = joined(result.maybe, d);
          continue;
        }
        const char32_t ng = neighbour_glyph(r, c, d);
        bool arm = false;
        if (g == U'#') {
          // Double frames join double frames, and the lines of a frame's
          // style between double corners; edge lines end at them.
          arm = ng == U'#' || (n->what == Reading::What::Line && n->weight != Weight::Light &&
                               has(n->dirs, reverse(d)));
        } else if (n->what == Reading::What::Arrow) {
          arm = g == U'+' && n->dirs == d;  // an arrowhead leaving this corner
        } else if (n->what == Reading::What::Line && ng != U'+' &&
                   n->weight != Weight::DoubleDash && has(n->dirs, reverse(d))) {
          // A cluster's frame may pass by or end here: it joins only maybe.
          arm = true;
        } else if (g == U'+' && may_reach(r, c, d)) {
          result.maybe = joined(result.maybe, d);
          if (n->what == Reading::What::Line && ng != U'+' && has(n->dirs, reverse(d))) {
            ++open_arms;
            if (is_heavy(n->weight)) ++open_heavy;
          }
        }
        if (!arm) continue;
        result.dirs = joined(result.dirs, d);
        ++arms;
        // A crossing prints light whatever the weight of its lines, so an
        // arm into one says nothing of the corner's weight.
        if (n->what == Reading::What::Line && (n->crossing || n->maybe_crossing)) {
          ++into_crossings;
        } else if (n->what == Reading::What::Line && is_heavy(n->weight)) {
          ++heavy;
        }
      }
      // A corner between a cluster frame's two sides is the frame's: a line
      // that ends beside it may or may not join it.
      const auto frame_side = [&](LineFlags d) {
        const Reading* n = at(r, c, d);
        return n && n->what == Reading::What::Line && n->weight == Weight::DoubleDash &&
               has(n->dirs, reverse(d));
      };
      // Lines that cross print `|`, so a `+` with lines on all four sides
      // is where lines between fields meet, or a junction with a line
      // ending beside it (at the edge of a box): which is open.
      const bool four = result.dirs == LineFlags{true, true, true, true};
      if (g == U'+' && (four || ((frame_side(kLeft) || frame_side(kRight)) &&
                                 (frame_side(kUp) || frame_side(kDown))))) {
        result.maybe = joined(result.maybe, result.dirs);
        result.dirs = {};
      }
      // A double frame's cell joins two others, or three where a line
      // between fields meets it; more, and frames touch: which of them
      // join is open.
      if (g == U'#' && arms > 2) {
        result.maybe = joined(result.maybe, result.dirs);
        result.dirs = {};
      }
      // A corner shows the weight of the lines it joins.
      const std::size_t weighed = arms - into_crossings;
      if (g == U'+' && weighed > 0 && heavy * 2 > weighed) result.weight = Weight::Heavy;
      if (g == U'+' && weighed == 0 && open_heavy * 2 > open_arms) result.weight = Weight::Heavy;
      result.open_weight = g == U'+' && weighed == 0 && open_arms == 0;
    }
  }
  return joined_out;
}

AsciiReadBack read_back_ascii(const CharGrid& grid, std::size_t max_faults) {
  AsciiReadBack out;
  out.grid = CharGrid(grid.width(), grid.height());
  const PrintedCells unicode = printed_cells(grid.to_text(), grid.width());
  const PrintedCells ascii = printed_cells(grid.to_text(nullptr, GlyphSet::Ascii), grid.width());
  const auto fault = [&](std::string message) {
    if (out.faults.size() < max_faults) out.faults.push_back(std::move(message));
  };
  if (!ascii.fault.empty()) fault("ASCII text: " + ascii.fault);
  if (!unicode.fault.empty()) fault("box-drawing text: " + unicode.fault);
  if (ascii.rows.size() != unicode.rows.size()) {
    fault("the ASCII text has " + std::to_string(ascii.rows.size()) + " rows, the box-drawing text " +
          std::to_string(unicode.rows.size()));
    return out;
  }
  const Readings u = read_unicode(unicode, grid, is_label_text);
  const Readings a = read_ascii(ascii, grid, is_label_text);
  for (std::size_t r = 0; r < a.size(); ++r) {
    for (std::size_t c = 0; c < a[r].size(); ++c) {
      const char32_t ag = ascii.rows[r][c];
      const char32_t ug = unicode.rows[r][c];
      const std::string where = "cell (" + std::to_string(r) + ", " + std::to_string(c) + ")";
      const auto glyphs = [&] {
        std::string s = " ('";
        append_utf8(s, ug);
        s += "' printed as '";
        append_utf8(s, ag);
        return s + "')";
      };
      if (a[r][c].what != Reading::What::Text && (ag < 0x20 || ag > 0x7E)) {
        fault(where + ": not printable ASCII" + glyphs());
      }
      ++out.cells_compared;
      if (!tells_same(a[r][c], u[r][c])) {
        fault(where + ": reads as " + describe(a[r][c]) + ", the box-drawing text as " +
              describe(u[r][c]) + glyphs());
      }
      // The grid as the ASCII text tells it.
      const Reading& got = a[r][c];
      const Cell original = grid.at(r, c);
      switch (got.what) {
        case Reading::What::Blank:
        case Reading::What::Unknown:
          break;
        case Reading::What::Text:
          if (ag == 0) {
            out.grid.set(r, c, original);  // the second column of a wide character
          } else {
            const Cell cell = original.kind() == CellKind::Text ? Cell::text(ag) : Cell::node(ag);
            out.grid.set(r, c, original.is_wide() ? cell.wide() : cell);
          }
          break;
        case Reading::What::Line: {
          std::optional<LineStyle> style;
          switch (got.weight) {
            case Weight::Light: style = LineStyle::Solid; break;
            case Weight::TripleDash: style = LineStyle::Dashed; break;
            case Weight::QuadrupleDash: style = LineStyle::Dotted; break;
            case Weight::Heavy: style = LineStyle::Bold; break;
            default: break;
          }
          if (got.weight == Weight::DoubleDash) {
            out.grid.set(r, c, Cell::text(ag).drawn());  // a cluster frame
          } else if (style) {
            out.grid.set(r, c, Cell::line(joined(got.dirs, got.maybe), *style));
          } else {
            out.grid.set(r, c, Cell::node(ag).drawn());
          }
          break;
        }
        case Reading::What::Arrow: {
          const Toward t = got.dirs.up     ? Toward::Up
                           : got.dirs.down ? Toward::Down
                           : got.dirs.left ? Toward::Left
                                           : Toward::Right;
          out.grid.set(r, c, Cell::arrow(arrowhead_toward(t)));
          break;
        }
        case Reading::What::Point:
        case Reading::What::DottedFrame:
          out.grid.set(r, c, Cell::node(ag).drawn());
          break;
      }
    }
  }
  return out;
}

}  // namespace vantri::testing
