#include "grid/char_grid.h"
#include "grid/put_text.h"

#include <gtest/gtest.h>

#include "text/utf8.h"

namespace vantri {
namespace {

constexpr LineFlags kUp{.up = true};
constexpr LineFlags kDown{.down = true};
constexpr LineFlags kLeft{.left = true};
constexpr LineFlags kRight{.right = true};

std::string char_at(const CharGrid& grid, std::uint64_t row, std::uint64_t col) {
  CharGrid one(1, 1);
  one.set(0, 0, grid.at(row, col));
  std::string text = one.to_text();
  return text.substr(0, text.size() - 1);
}

TEST(CharGrid, PrecedenceDecidesOverlaps) {
  CharGrid grid(4, 1);
  grid.put(0, 0, Cell::text(U'x'));
  grid.put(0, 0, Cell::line(kUp));
  EXPECT_EQ(grid.at(0, 0), Cell::text(U'x'));  // lines lose to text
  grid.put(0, 0, Cell::arrow(U'▼'));
  EXPECT_EQ(grid.at(0, 0), Cell::arrow(U'▼'));  // arrows beat text
  grid.put(0, 0, Cell::text(U'y'));
  EXPECT_EQ(grid.at(0, 0), Cell::arrow(U'▼'));
  grid.put(0, 1, Cell::node(U'a'));
  grid.put(0, 1, Cell::node(U'b'));
  EXPECT_EQ(grid.at(0, 1), Cell::node(U'b'));  // equal kinds replace
  grid.put(0, 1, Cell::arrow(U'▶'));
  EXPECT_EQ(grid.at(0, 1), Cell::node(U'b'));
  grid.put(0, 2, Cell::text(U'p'));
  grid.put(0, 2, Cell::text(U'q'));
  EXPECT_EQ(grid.at(0, 2), Cell::text(U'q'));
  grid.set(0, 1, Cell::line(kLeft));  // set ignores precedence
  EXPECT_EQ(grid.at(0, 1), Cell::line(kLeft));
}

TEST(CharGrid, LinesMergeIntoJunctions) {
  CharGrid grid(1, 1);
  grid.put(0, 0, Cell::line(kLeft));
  grid.put(0, 0, Cell::line(kUp));
  EXPECT_EQ(char_at(grid, 0, 0), "┘");
  grid.put(0, 0, Cell::line({.down = true, .right = true}));
  EXPECT_EQ(char_at(grid, 0, 0), "┼");
  EXPECT_EQ(grid.at(0, 0).flags(), (LineFlags{true, true, true, true}));
}

TEST(CharGrid, OffGridWritesAreDropped) {
  CharGrid grid(2, 2);
  grid.put(2, 0, Cell::node(U'x'));
  grid.put(0, 2, Cell::node(U'x'));
  grid.set(5, 5, Cell::node(U'x'));
  EXPECT_EQ(grid.to_text(), "\n");
  EXPECT_FALSE(grid.contains(2, 0));
  EXPECT_TRUE(grid.contains(1, 1));
}

TEST(CharGrid, JunctionTable) {
  const struct {
    LineFlags flags;
    const char* character;
  } table[] = {
      {{}, " "},
      {kLeft, "─"}, {kRight, "─"}, {{.left = true, .right = true}, "─"},
      {kUp, "│"}, {kDown, "│"}, {{.up = true, .down = true}, "│"},
      {{.down = true, .right = true}, "┌"}, {{.down = true, .left = true}, "┐"},
      {{.up = true, .right = true}, "└"}, {{.up = true, .left = true}, "┘"},
      {{.up = true, .down = true, .right = true}, "├"},
      {{.up = true, .down = true, .left = true}, "┤"},
      {{.down = true, .left = true, .right = true}, "┬"},
      {{.up = true, .left = true, .right = true}, "┴"},
      {{true, true, true, true}, "┼"},
  };
  for (const auto& row : table) {
    std::string expected = row.character;
    std::string utf8;
    const char32_t c = junction_character(row.flags);
    CharGrid grid(2, 1);
    grid.put(0, 0, Cell::line(row.flags));
    grid.put(0, 1, Cell::text(U'|'));
    EXPECT_EQ(grid.to_text(), expected + "|\n") << static_cast<unsigned>(c);
  }
}

TEST(CharGrid, TextDropsTrailingWhiteSpaceAndBlankBottomRows) {
  EXPECT_EQ(CharGrid(5, 0).to_text(), "");
  EXPECT_EQ(CharGrid(5, 3).to_text(), "\n");
  EXPECT_EQ(CharGrid(0, 3).to_text(), "\n");

  CharGrid grid(6, 5);
  grid.put(3, 5, Cell::text(U'z'));
  grid.put(1, 1, Cell::node(U'a'));
  grid.put(1, 2, Cell::node(U' '));
  grid.put(1, 3, Cell::node(U'b'));
  grid.put(1, 4, Cell::node(U' '));
  grid.put(2, 0, Cell::text(U'\u00a0'));
  grid.put(2, 1, Cell::text(U'\u3000'));
  // Row 0 blank, row 1 keeps its inner blank, row 2 only white space,
  // row 4 blank at the bottom disappears.
  EXPECT_EQ(grid.to_text(), "\n a b\n\n     z\n");
}

TEST(CharGrid, ControlCharactersCannotReachTheTerminal) {
  CharGrid grid(7, 1);
  const char32_t text[] = {U'a', U'\x1b', U'\t', U'\n', U'\x7f', U'\u009b', U'b'};
  for (std::uint64_t col = 0; col < 7; ++col) grid.put(0, col, Cell::text(text[col]));
  EXPECT_EQ(grid.to_text(), "a\uFFFD  \uFFFD\uFFFDb\n");
  // A trailing tab is white space like any other and is trimmed.
  CharGrid tail(2, 1);
  tail.put(0, 0, Cell::node(U'x'));
  tail.put(0, 1, Cell::node(U'\t'));
  EXPECT_EQ(tail.to_text(), "x\n");
}

// A wide character takes its cell and a continuation; a combining mark
// joins the character before it. Whatever later writes cover, every cell
// stays one terminal column: half a wide character prints as a blank.
TEST(CharGrid, WideCharactersAndMarksKeepColumnsInLine) {
  CharGrid grid(8, 3);
  put_text(grid, 0, 0, "é漢e\u0301◀x", &Cell::text);
  EXPECT_EQ(grid.at(0, 1), Cell::text(U'漢').wide());
  EXPECT_TRUE(grid.at(0, 2).is_continuation());
  EXPECT_EQ(grid.at(0, 4).kind(), CellKind::Text);
  // Row 1: the continuation overwritten, then the lead; row 2: a wide
  // character that would stick out of the grid is left out.
  put_text(grid, 1, 0, "漢字漢", &Cell::text);
  grid.put(1, 1, Cell::arrow(U'▼'));
  grid.put(1, 2, Cell::arrow(U'▲'));
  put_text(grid, 2, 5, "a漢字", &Cell::text);
  EXPECT_EQ(grid.to_text(), "é漢e\u0301◀x\n ▼▲ 漢\n     a漢\n");

  // A weaker write loses to both halves; a mark joins only a character
  // that holds its cell, and is dropped when the cell is written again.
  CharGrid boxes(6, 2);
  boxes.put(0, 2, Cell::node(U'│'));
  put_text(boxes, 0, 1, "字e\u0301", &Cell::text);
  put_text(boxes, 1, 0, "ae\u0301", &Cell::text);
  boxes.put(1, 1, Cell::text(U'o'));
  EXPECT_EQ(boxes.to_text(), "  │e\u0301\nao\n");
  // Marks kept beside a wide character go with it; text that ends on a
  // mark of white space loses it with the other trailing blanks.
  CharGrid tail(5, 1);
  put_text(tail, 0, 0, "日\u0301x\u2028", &Cell::node);
  EXPECT_EQ(tail.to_text(), "日\u0301x\n");
}

TEST(CharGrid, RowsWiderThanAChunk) {
  // Rows are stored in chunks of 256 cells; writes on both sides of chunk
  // boundaries, in a last chunk cut short by the width, and reads of chunks
  // never written must all behave like one flat row.
  CharGrid grid(700, 3);
  for (std::uint64_t col : {0u, 255u, 256u, 511u, 699u}) grid.put(1, col, Cell::text(U'x'));
  grid.put(1, 700, Cell::text(U'y'));  // off the grid
  EXPECT_EQ(grid.at(1, 256), Cell::text(U'x'));
  EXPECT_EQ(grid.at(0, 600), Cell::empty());
  EXPECT_EQ(grid.at(1, 300), Cell::empty());
  grid.set(2, 400, Cell::empty());  // leaves a row that was never drawn empty
  grid.set(1, 511, Cell::empty());
  const std::string row1 = "x" + std::string(254, ' ') + "xx" + std::string(442, ' ') + "x";
  EXPECT_EQ(grid.to_text(), "\n" + row1 + "\n");
}

TEST(CharGrid, RunsFollowThePrecedenceRuleAcrossChunks) {
  CharGrid grid(600, 1);
  grid.put(0, 300, Cell::node(U'#'));
  grid.put(0, 260, Cell::line({.up = true}));
  grid.put(0, 270, Cell::text(U't'));
  grid.put_run(0, 250, 520, Cell::line({.left = true, .right = true}));
  EXPECT_EQ(grid.at(0, 300), Cell::node(U'#'));
  EXPECT_EQ(grid.at(0, 270), Cell::text(U't'));
  EXPECT_EQ(grid.at(0, 260).flags(), (LineFlags{.up = true, .left = true, .right = true}));
  EXPECT_EQ(grid.at(0, 519), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(grid.at(0, 520), Cell::empty());  // the end is not included
  EXPECT_EQ(grid.at(0, 249), Cell::empty());
  // A run past the right edge is clipped; an empty cell changes nothing.
  grid.put_run(0, 590, std::uint64_t{1} << 62, Cell::text(U'z'));
  grid.put_run(0, 0, 600, Cell::empty());
  const std::string text = grid.to_text();
  EXPECT_EQ(text.substr(0, 250), std::string(250, ' '));
  EXPECT_TRUE(text.ends_with(std::string(10, 'z') + "\n"));
  EXPECT_EQ(count_code_points(text), 601u);
}

TEST(CharGrid, NarrowGridsUseSmallChunks) {
  for (std::uint64_t width : {1u, 3u, 255u, 257u}) {
    CharGrid grid(width, 2);
    grid.put(1, width - 1, Cell::arrow(U'▼'));
    grid.put(0, width, Cell::arrow(U'▲'));  // off the grid
    EXPECT_EQ(grid.to_text(), "\n" + std::string(width - 1, ' ') + "▼\n") << width;
  }
}

TEST(CharGrid, MemoryAndTextFollowWhatIsDrawn) {
  // A million columns by a thousand rows is four gigabytes as a flat array
  // of cells; drawing a little on it costs only what is drawn.
  CharGrid grid(std::uint64_t{1} << 20, 1000);
  grid.put(999, (std::uint64_t{1} << 20) - 1, Cell::text(U'e'));
  grid.put_run(500, 1000, 1010, Cell::line({.left = true, .right = true}));
  const std::string text = grid.to_text();
  EXPECT_EQ(text.size(), 999 + 1000 + 10 * 3 + 1 + (std::uint64_t{1} << 20));
  EXPECT_TRUE(text.ends_with("e\n"));
}

// Each line style has its own straight stretches and joins corners and
// junctions; lines of different styles or paints meeting in a cell make a
// plain line there.
TEST(CharGrid, LineStylesKeepToTheirOwnStretches) {
  const LineFlags across{.left = true, .right = true};
  const LineFlags down{.up = true, .down = true};
  CharGrid grid(8, 2);
  const LineStyle styles[] = {LineStyle::Solid, LineStyle::Dashed, LineStyle::Dotted,
                              LineStyle::Bold};
  for (std::uint64_t k = 0; k < 4; ++k) {
    grid.put(0, k, Cell::line(across, styles[k]));
    grid.put(1, k, Cell::line(down, styles[k]));
  }
  grid.put(0, 4, Cell::line({.down = true, .right = true}, LineStyle::Dashed));  // a corner
  grid.put(0, 5, Cell::line({.down = true, .right = true}, LineStyle::Bold));
  grid.put(0, 6, Cell::line(across, LineStyle::Bold));
  grid.put(0, 6, Cell::line(across, LineStyle::Bold).painted(1));  // paints differ
  grid.put(0, 7, Cell::line(across, LineStyle::Dashed));
  grid.put(0, 7, Cell::line(down, LineStyle::Dashed));  // same style: kept
  EXPECT_EQ(grid.to_text(), "─┄┈━┌┏─┼\n│┆┊┃\n");
  grid.put(0, 1, Cell::line(across, LineStyle::Dotted));
  EXPECT_EQ(grid.at(0, 1), Cell::line(across));
}

// Runs of one paint are wrapped in its sequence and a reset; unpainted
// cells between, and the blanks trimmed at a row's end, are not.
TEST(CharGrid, PaintsWrapTheirRunsAndCloseOnTheirRow) {
  CharGrid grid(12, 3);
  EXPECT_EQ(grid.paint_id(""), 0u);
  const std::uint32_t red = grid.paint_id("\x1b[31m");
  const std::uint32_t bold = grid.paint_id("\x1b[1;34m");
  EXPECT_EQ(grid.paint_id("\x1b[31m"), red);
  EXPECT_EQ(grid.paint_of("\x1b[35m"), 0u);
  put_text(grid, 0, 0, "ab", &Cell::text, red);
  put_text(grid, 0, 3, "日c", &Cell::text, red);
  put_text(grid, 0, 6, "d", &Cell::text, bold);
  put_text(grid, 1, 0, "x", &Cell::text);
  grid.put(1, 1, Cell::line({.left = true, .right = true}).painted(red));
  grid.paint(1, 5, red);  // a painted blank past the row's end
  grid.put(2, 0, Cell::arrow(U'▼').painted(bold));
  EXPECT_EQ(grid.to_text(),
            "\x1b[31mab\x1b[0m \x1b[31m日c\x1b[0m\x1b[1;34md\x1b[0m\n"
            "x\x1b[31m─\x1b[0m\n"
            "\x1b[1;34m▼\x1b[0m\n");
  // A later write takes its own paint; a grid keeps at most 63 paints.
  grid.put(2, 0, Cell::arrow(U'▲'));
  EXPECT_EQ(grid.at(2, 0).paint(), 0u);
  for (int i = 0; i < 80; ++i) grid.paint_id("\x1b[" + std::to_string(i) + "m");
  EXPECT_EQ(grid.paint_id("\x1b[99m"), 0u);
  EXPECT_EQ(grid.paint_of("\x1b[31m"), red);
}

}  // namespace
}  // namespace vantri
