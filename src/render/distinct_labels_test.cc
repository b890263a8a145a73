#include "render/distinct_labels.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "text/label_lines.h"

namespace vantri {
namespace {

struct Parted {
  std::vector<ShownLabel> shown;
  std::vector<std::uint64_t> columns;
};

// `own` cut to `columns` with `trim`, then kept apart with room up to
// `most` columns.
Parted part(const std::vector<std::string>& own, std::uint64_t columns, std::uint64_t most,
            TrimStrategy trim) {
  const LabelCutter cut = [&](std::size_t i, std::uint64_t width, TrimStrategy strategy) {
    std::string text = trim_label(own[i], width, strategy);
    const bool was_cut = text != own[i];
    return ShownLabel{std::move(text), was_cut};
  };
  Parted out{{}, std::vector<std::uint64_t>(own.size(), columns)};
  for (std::size_t i = 0; i < own.size(); ++i) out.shown.push_back(cut(i, columns, trim));
  keep_labels_apart(own, out.shown, out.columns, std::vector<std::uint64_t>(own.size(), most),
                    trim, cut);
  return out;
}

TEST(KeepLabelsApart, DifferentLabelsNeverShareATextWhileRoomIsLeft) {
  const std::vector<std::vector<std::string>> sets = {
      {"4.1 BSD", "4.2 BSD", "4.3 BSD", "2.9 BSD"},
      {"IDENT : a ", "IDENT : b ", "IDENT : a ", "IDENT : c "},
      {"abcdef1xyz", "abcdef2xyz", "abcdef3xyz"},
      {"get_user_by_id", "get_user_by_name", "get_group_by_id", "get_user"},
      {"ab...", "abcdefgh", "abxxxxxx"},
      {"same_long_label", "same_long_label", "other_long_label"},
  };
  for (const auto& own : sets) {
    for (const TrimStrategy trim :
         {TrimStrategy::End, TrimStrategy::Start, TrimStrategy::Middle, TrimStrategy::Smart}) {
      const Parted parted = part(own, 5, 40, trim);
      for (std::size_t i = 0; i < own.size(); ++i) {
        const std::string where = own[i] + " with strategy " + std::to_string(int(trim));
        const ShownLabel& shown = parted.shown[i];
        EXPECT_LE(text_width(shown.text), parted.columns[i]) << where;
        EXPECT_EQ(shown.cut, shown.text != own[i]) << where;
        for (std::size_t j = 0; j < own.size(); ++j) {
          EXPECT_TRUE(own[i] == own[j] || shown.text != parted.shown[j].text)
              << where << " and " << own[j] << " both show " << shown.text;
        }
        // Room grows no further than the whole label.
        if (parted.columns[i] > 5) {
          EXPECT_LE(parted.columns[i], text_width(own[i])) << where;
        }
      }
    }
  }
  // Another cut in as many columns when it does ("4.1..."), before more room.
  const Parted bsd = part({"4.1 BSD", "4.2 BSD"}, 6, 40, TrimStrategy::Middle);
  EXPECT_EQ(bsd.shown[0].text, "4.1...");
  EXPECT_EQ(bsd.shown[1].text, "4.2...");
  EXPECT_EQ(bsd.columns, (std::vector<std::uint64_t>{6, 6}));
  // Same labels stay the same and take no more room.
  const Parted same = part({"same_long_label", "same_long_label"}, 8, 40, TrimStrategy::End);
  EXPECT_EQ(same.shown[0].text, "same_...");
  EXPECT_EQ(same.columns, (std::vector<std::uint64_t>{8, 8}));
}

TEST(KeepLabelsApart, StopsWhereNoRoomIsLeft) {
  // Differing only in the middle, with no room to grow: left as they are.
  const Parted stuck = part({"abcdef1xyz", "abcdef2xyz"}, 6, 6, TrimStrategy::End);
  EXPECT_EQ(stuck.shown[0].text, stuck.shown[1].text);
  EXPECT_EQ(stuck.columns, (std::vector<std::uint64_t>{6, 6}));
  // With room, as much as parts them: here the whole label.
  const Parted grown = part({"abcdef1xyz", "abcdef2xyz"}, 6, 40, TrimStrategy::End);
  EXPECT_NE(grown.shown[0].text, grown.shown[1].text);
  EXPECT_LE(grown.columns[0], 10u);
}

}  // namespace
}  // namespace vantri
