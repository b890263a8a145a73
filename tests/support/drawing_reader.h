// A finished drawing read the way a person reads it.
//
// The reader looks at the characters the text shows (through a
// `TerminalScreen`, so colours and wide characters are placed as a
// terminal places them), not at the planner's records: a wrong character
// reads wrong. It knows only where the node boxes and the cluster frames
// are, as anyone looking at the drawing sees them. What every character
// means comes from one `GlyphTable`; a drawing made of other characters is
// read with another table.
//
// Line characters join where their arms meet: ─ beside │ does not join, ┐
// above │ does. A ┼ is read as a crossing: the line from the left goes on to
// the right and the one from above goes on down, each on its own. A line
// character whose arm reaches into a box joins that box, and an arrowhead
// points into the box in front of it; a straight line that meets a cluster
// frame runs on across it to a line that carries on beyond, or to the box
// right behind the frame, which it joins. The line cells that join form
// networks, each with the boxes it joins without an arrowhead (its tails,
// as a reader sees them) and the boxes its arrowheads point into (its
// heads).
#ifndef VANTRI_TESTS_SUPPORT_DRAWING_READER_H_
#define VANTRI_TESTS_SUPPORT_DRAWING_READER_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "render/render_graph.h"
#include "render_edges/route_plan.h"
#include "support/terminal_screen.h"

namespace vantri::testing {

/// Directions a line leaves its cell in.
struct Arms {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  bool has(Toward d) const;
  int count() const { return up + down + left + right; }
  friend bool operator==(const Arms&, const Arms&) = default;
};

/// What one character means in a drawing.
struct Glyph {
  enum class Kind : std::uint8_t {
    /// Label or title text, or a blank.
    Other,
    /// A line with the arms it shows (a junction has three).
    Line,
    /// Two lines crossing, each straight on.
    Crossing,
    /// A line whose arms are those of its neighbours that reach into it
    /// (a `+` that may be a corner, a junction or a crossing: with four it
    /// reads as a crossing).
    Joint,
    /// An arrowhead pointing `points`.
    Arrow,
    /// A stroke of a box or frame outline that no edge draws.
    Outline,
  };
  Kind kind = Kind::Other;
  Arms arms;
  Toward points = Toward::Down;
};

/// The meaning of every character a drawing uses for lines, arrowheads and
/// outlines; any other character is text.
class GlyphTable {
 public:
  explicit GlyphTable(const std::vector<std::pair<char32_t, Glyph>>& glyphs);
  Glyph operator()(char32_t c) const;

 private:
  std::unordered_map<char32_t, Glyph> glyphs_;
};

/// The box-drawing characters: light, dashed ┄┆, dotted ┈┊ and heavy lines,
/// ▲▼◀▶, and the outlines of boxes and frames (rounded, double, dashed,
/// dotted).
const GlyphTable& unicode_glyphs();

/// Plain ASCII: - | for lines, + where they meet, v ^ < > for arrowheads.
/// A + has the arms of the neighbours that reach into it; two + side by
/// side are read as joined, whatever was meant.
const GlyphTable& ascii_glyphs();

/// One cell as read.
struct ReadCell {
  enum class What : std::uint8_t {
    Blank,
    /// Inside a drawn node's box.
    Box,
    /// On a cluster frame's outline.
    Frame,
    Line,
    Arrow,
    /// A printed character that is not a line: label or title text.
    Text,
  };
  What what = What::Blank;
  char32_t shown = U' ';
  /// Line cells: the arms shown; arrows: the way they point.
  Arms arms;
  bool crossing = false;
  Toward points = Toward::Down;
  /// Box cells: the node.
  std::uint32_t node = 0;
};

/// A connected set of line cells.
struct Network {
  /// Nodes whose boxes it joins without an arrowhead, and those its
  /// arrowheads point into.
  std::set<std::size_t> tails;
  std::set<std::size_t> heads;
  std::size_t cells = 0;
  /// Its first cell, top to bottom and left to right.
  GridPoint first;
};

class ReadDrawing {
 public:
  /// Reads `text` (a finished drawing, coloured or not) with the boxes and
  /// cluster frames of `drawing`.
  ReadDrawing(const Drawing& drawing, std::string_view text,
              const GlyphTable& glyphs = unicode_glyphs());

  /// The text as a terminal shows it.
  const TerminalScreen& screen() const { return screen_; }
  std::uint64_t rows() const { return rows_; }
  std::uint64_t columns() const { return columns_; }
  /// A blank outside the text.
  const ReadCell& at(GridPoint p) const;

  static constexpr std::size_t kNone = ~std::size_t{0};
  /// The network of the line cell at `p` that runs along `d` there (a
  /// crossing holds two); `kNone` where no line runs that way.
  std::size_t network_at(GridPoint p, Toward d) const;
  /// The networks of the cell at `p`: none, one, or two for a crossing.
  std::vector<std::size_t> networks_at(GridPoint p) const;
  const std::vector<Network>& networks() const { return networks_; }

  /// Arrowheads that point into no box.
  const std::vector<GridPoint>& stray_arrowheads() const { return stray_; }

  /// What row `row` shows from column `first` on, `columns` wide.
  std::string text(std::uint64_t row, std::uint64_t first, std::uint64_t columns) const;

 private:
  // A cell holds two parts: the one running across (left–right) and the
  // one running along (up–down); they are one part unless the cell is a
  // crossing or a frame that lines cross.
  std::size_t part(GridPoint p, Toward d) const;
  std::size_t index(GridPoint p) const { return p.row * columns_ + p.col; }
  // Whether the cell at `n` carries a line on towards `toward`.
  bool reaches(GridPoint n, Toward toward) const;
  void classify(const Drawing& drawing, const GlyphTable& glyphs);
  void join_parts();
  void gather_networks();
  std::uint32_t find(std::uint32_t x);
  void unite(std::size_t a, std::size_t b);

  TerminalScreen screen_;
  std::uint64_t rows_ = 0;
  std::uint64_t columns_ = 0;
  std::vector<ReadCell> cells_;
  // While reading: the parts' union-find, which parts carry a line, and
  // where a part joins a box (with an arrowhead or not).
  struct BoxJoin {
    std::size_t part;
    std::size_t node;
    bool arrow;
  };
  std::vector<std::uint32_t> parent_;
  std::vector<bool> live_;
  std::vector<BoxJoin> box_joins_;
  // The network of every part; kNoNetwork where none runs.
  static constexpr std::uint32_t kNoNetwork = 0xFFFFFFFF;
  std::vector<std::uint32_t> network_of_;
  std::vector<Network> networks_;
  std::vector<GridPoint> stray_;
};


}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_DRAWING_READER_H_
