#include "render/paint_colours.h"

#include <gtest/gtest.h>

#include "grid/put_text.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

const std::string kRed = "\x1b[31m";
const std::string kBlue = "\x1b[34m";
const std::string kReset = "\x1b[0m";

LayoutNode filled(std::optional<std::string> color) {
  LayoutNode n;
  n.fillcolor = std::move(color);
  return n;
}

// `text` drawn as node cells on a grid of its size (blanks left empty),
// with the borders of `nodes` painted, back as text.
std::string apply_ansi(const std::string& text, const std::vector<LayoutNode>& nodes,
                       const std::vector<NodeBox>& boxes) {
  const std::vector<std::string_view> lines = split_label_lines(text);
  CharGrid grid(label_width(text), lines.size());
  for (std::size_t row = 0; row < lines.size(); ++row) {
    std::size_t col = 0;
    for (std::size_t i = 0; i < lines[row].size();) {
      std::size_t next = i;
      const std::string_view rest = lines[row].substr(i);
      const std::size_t bytes = fit_prefix(rest, 1).bytes;
      next = i + (bytes == 0 ? fit_prefix(rest, 2).bytes : bytes);
      const std::string_view piece = lines[row].substr(i, next - i);
      if (piece != " ") put_text(grid, row, col, piece, &Cell::node);
      col += text_width(piece);
      i = next;
    }
  }
  paint_node_borders(grid, nodes, boxes);
  return grid.to_text();
}

TEST(PaintNodeBorders, UncolouredTextStaysByteForByte) {
  const std::string text = "┌───┐\n│ A │\n└───┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 5, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled(std::nullopt)}, boxes), text);
  // White and near-white have no colour; an empty fill reads as light grey.
  EXPECT_EQ(apply_ansi(text, std::vector{filled("white")}, boxes), text);
  EXPECT_NE(apply_ansi(text, std::vector{filled("")}, boxes), text);
}

TEST(PaintNodeBorders, ColoursBorderRunsOnly) {
  const std::string text = "┌───┐\n│ A │\n└───┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 5, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌───┐" + kReset + "\n" +                               //
                kRed + "│" + kReset + " A " + kRed + "│" + kReset + "\n" +  //
                kRed + "└───┘" + kReset + "\n");
}

TEST(PaintNodeBorders, LaterNodesWinSharedCellsAndColoursSwitchWithoutGaps) {
  // Two boxes side by side sharing their middle column.
  const std::string text = "┌──┬──┐\n│  │  │\n└──┴──┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 4, 3}, {3, 0, 4, 3}};
  const std::vector<LayoutNode> nodes = {filled("red"), filled("blue")};
  EXPECT_EQ(apply_ansi(text, nodes, boxes),
            kRed + "┌──" + kReset + kBlue + "┬──┐" + kReset + "\n" +         //
                kRed + "│" + kReset + "  " + kBlue + "│" + kReset + "  " +   //
                kBlue + "│" + kReset + "\n" +                                //
                kRed + "└──" + kReset + kBlue + "┴──┘" + kReset + "\n");
}

TEST(PaintNodeBorders, CellsBeyondTheTrimmedLineAreNeverReached) {
  // The box's right border lies past the end of the text of row 1.
  const std::string text = "┌─┐\n│\n└─┘\n\n";
  const std::vector<NodeBox> boxes = {{0, 0, 3, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌─┐" + kReset + "\n" + kRed + "│" + kReset + "\n" + kRed + "└─┘" +
                kReset + "\n");
}

TEST(PaintNodeBorders, BoxesReachingFarPastTheTextCostOnlyWhatIsShown) {
  // A box of 2^40 by 2^40 cells over a text of two rows: only the cells the
  // text has are looked at, so this finishes at once and colours the
  // visible top row and left border.
  const std::string text = "┌──\n│ A\n";
  const std::uint64_t huge = std::uint64_t{1} << 40;
  const std::vector<NodeBox> boxes = {{0, 0, huge, huge}, {huge, huge, 5, 3}};
  const std::vector<LayoutNode> nodes = {filled("red"), filled("blue")};
  EXPECT_EQ(apply_ansi(text, nodes, boxes),
            kRed + "┌──" + kReset + "\n" + kRed + "│" + kReset + " A\n");
}

// Cells are grid columns: a wide character spans two, a combining mark
// none, so the border after them is still found and coloured.
TEST(PaintNodeBorders, WideCharactersTakeTwoColumns) {
  const std::string text = "┌────┐\n│ 日 │\n│ e\u0301  │\n└────┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 6, 4}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌────┐" + kReset + "\n" +                                //
                kRed + "│" + kReset + " 日 " + kRed + "│" + kReset + "\n" +    //
                kRed + "│" + kReset + " e\u0301  " + kRed + "│" + kReset + "\n" +  //
                kRed + "└────┘" + kReset + "\n");
}

TEST(PaintNodeBorders, PointColoursItsOneCellAnInvisibleNodeNothing) {
  const std::string text = "ab●cd\n";
  const std::vector<NodeBox> boxes = {{2, 0, 1, 1}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("#00ff00")}, boxes),
            "ab\x1b[32m●" + kReset + "cd\n");
  LayoutNode hidden = filled("red");
  hidden.invisible = true;
  EXPECT_EQ(apply_ansi(text, std::vector{hidden}, boxes), text);
}

}  // namespace
}  // namespace vantri
