#include "grid/char_grid.h"

#include <gtest/gtest.h>

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

TEST(CharGrid, MultibyteCharactersTakeOneCell) {
  CharGrid grid(3, 1);
  grid.put(0, 0, Cell::text(U'é'));
  grid.put(0, 1, Cell::text(U'漢'));
  grid.put(0, 2, Cell::arrow(U'◀'));
  EXPECT_EQ(grid.to_text(), "é漢◀\n");
}

}  // namespace
}  // namespace vantri
