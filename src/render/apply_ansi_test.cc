#include "render/apply_ansi.h"

#include <gtest/gtest.h>

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

TEST(ApplyAnsi, UncolouredTextStaysByteForByte) {
  const std::string text = "┌───┐\n│ A │\n└───┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 5, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled(std::nullopt)}, boxes), text);
  // White and near-white have no colour; an empty fill reads as light grey.
  EXPECT_EQ(apply_ansi(text, std::vector{filled("white")}, boxes), text);
  EXPECT_NE(apply_ansi(text, std::vector{filled("")}, boxes), text);
}

TEST(ApplyAnsi, ColoursBorderRunsOnly) {
  const std::string text = "┌───┐\n│ A │\n└───┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 5, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌───┐" + kReset + "\n" +                               //
                kRed + "│" + kReset + " A " + kRed + "│" + kReset + "\n" +  //
                kRed + "└───┘" + kReset + "\n");
}

TEST(ApplyAnsi, LaterNodesWinSharedCellsAndColoursSwitchWithoutGaps) {
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

TEST(ApplyAnsi, CellsBeyondTheTrimmedLineAreNeverReached) {
  // The box's right border lies past the end of the text of row 1.
  const std::string text = "┌─┐\n│\n└─┘\n\n";
  const std::vector<NodeBox> boxes = {{0, 0, 3, 3}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌─┐" + kReset + "\n" + kRed + "│" + kReset + "\n" + kRed + "└─┘" +
                kReset + "\n");
}

TEST(ApplyAnsi, BoxesReachingFarPastTheTextCostOnlyWhatIsShown) {
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
TEST(ApplyAnsi, WideCharactersTakeTwoColumns) {
  const std::string text = "┌────┐\n│ 日 │\n│ e\u0301  │\n└────┘\n";
  const std::vector<NodeBox> boxes = {{0, 0, 6, 4}};
  EXPECT_EQ(apply_ansi(text, std::vector{filled("red")}, boxes),
            kRed + "┌────┐" + kReset + "\n" +                                //
                kRed + "│" + kReset + " 日 " + kRed + "│" + kReset + "\n" +    //
                kRed + "│" + kReset + " e\u0301  " + kRed + "│" + kReset + "\n" +  //
                kRed + "└────┘" + kReset + "\n");
}

TEST(ApplyAnsi, PointColoursItsOneCellAnInvisibleNodeNothing) {
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
