#include "render/label_budget.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "text/label_lines.h"

namespace vantri {
namespace {

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

TEST(LabelForms, BreaksBeforeCuttingAtEveryBudget) {
  const std::vector<std::string> labels = {
      "5th Edition", "4.1 BSD", "Interdata 8/32 Unix Version 7", "no_blank_label_here",
      "first line here\nsecond\r\nthird and last line", "IDENT : a ", "一二三 四五六七", ""};
  for (const std::string& label : labels) {
    const LabelForms forms(label);
    EXPECT_EQ(forms.width(), label_width(label));
    std::uint64_t last = 0;
    for (std::uint64_t budget = 1; budget <= forms.width() + 1; ++budget) {
      const std::string where = "\"" + label + "\" within " + std::to_string(budget);
      const ShownLabel shown = forms.within(budget, TrimStrategy::Smart);
      const std::uint64_t width = forms.width_within(budget);
      // Cutting may keep less than the budget (whole words, wide characters).
      EXPECT_LE(label_width(shown.text), width) << where;
      EXPECT_LE(width, std::max<std::uint64_t>(budget, 0)) << where;
      EXPECT_GE(width, last) << where << ": narrower than within less";
      last = width;
      if (budget >= forms.width()) {
        EXPECT_EQ(shown.text, label) << where;
        continue;
      }
      // Each line of the label on at most three lines.
      EXPECT_LE(count_label_lines(shown.text), 3 * count_label_lines(label)) << where;
      if (!shown.cut) {
        EXPECT_EQ(words(shown.text), words(label)) << where;
      } else {
        EXPECT_NE(shown.text.find(budget >= 4 ? "..." : "."), std::string::npos) << where;
      }
    }
  }
  EXPECT_EQ(LabelForms("5th Edition").within(7, TrimStrategy::Smart).text, "5th\nEdition");
  EXPECT_EQ(LabelForms("a b c d e f g").within(5, TrimStrategy::Smart).text, "a b c\nd e f\ng");
  // A line that fits keeps its ending; a broken one gets line feeds.
  EXPECT_EQ(LabelForms("wide line here\r\nok\n").within(9, TrimStrategy::End).text,
            "wide line\nhere\nok\n");
  // Three lines still too wide are each cut.
  const ShownLabel cut = LabelForms("aaaaaaaa bbbbbbbb cccccccc").within(6, TrimStrategy::End);
  EXPECT_TRUE(cut.cut);
  EXPECT_EQ(cut.text, "aaa...\nbbb...\nccc...");
  // Whole words, unless that keeps fewer than six columns of the text.
  EXPECT_EQ(LabelForms("order_processing_service").within(12, TrimStrategy::Smart).text,
            "order...vice");
  EXPECT_EQ(LabelForms("get_user_by_id_and_name").within(12, TrimStrategy::Smart).text,
            trim_label("get_user_by_id_and_name", 12, TrimStrategy::Smart));
  // More lines when asked for.
  EXPECT_EQ(LabelForms("a b c d", 8).within(1, TrimStrategy::End).text, "a\nb\nc\nd");
}

TEST(NodeLabels, WithinABudgetKeepsTheLabelLimitAndPartsCutLabels) {
  const std::vector<std::string> own = {"4.1 BSD", "4.2 BSD", "Interdata_Unix_1",
                                        "Interdata_Unix_2", "", "short"};
  std::vector<std::string> limited = own;
  // As a label limit of 12 left them.
  limited[2] = "...a_Unix_1";
  limited[3] = "...a_Unix_2";
  const NodeLabels labels(own, limited, 12, TrimStrategy::Smart);
  EXPECT_EQ(labels.wanted(2), 11u);
  EXPECT_EQ(labels.width_within(0, 4), 3u);  // "4.1" over "BSD"
  // Within the limit's width the limited label stays.
  EXPECT_EQ(labels.within(12)[2], "...a_Unix_1");
  for (std::uint64_t budget = 4; budget <= 16; ++budget) {
    const std::vector<std::string> shown = labels.within(budget);
    ASSERT_EQ(shown.size(), own.size());
    EXPECT_EQ(shown[4], "");
    if (budget >= 5) {
      EXPECT_EQ(shown[5], "short");
    }
    EXPECT_EQ(words(shown[0]), words(own[0])) << budget;
    std::set<std::string> texts(shown.begin(), shown.end());
    EXPECT_EQ(texts.size(), shown.size()) << "labels alike within " << budget;
    // Never wider than the limit, nor than the budget unless that is what
    // parts two labels.
    EXPECT_LE(label_width(shown[2]), 12u) << budget;
    EXPECT_LE(label_width(shown[3]), 12u) << budget;
  }
}

}  // namespace
}  // namespace vantri
