#include "process/pager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "process/terminal.h"

namespace vantri {
namespace {

namespace fs = std::filesystem;

TEST(PagerCommand, VantriPagerThenPagerThenLess) {
  const PagerCommand less{{"less", "-R", "-S", "-F", "-X"}, {}};
  EXPECT_EQ(pager_command(nullptr, nullptr), less);
  EXPECT_EQ(pager_command("", ""), less);
  const auto shell = [](std::string command) {
    return PagerCommand{{"/bin/sh", "-c", std::move(command)}, {{"LESS", "FRSX"}, {"LV", "-c"}}};
  };
  EXPECT_EQ(pager_command("most -s", "more"), shell("most -s"));
  EXPECT_EQ(pager_command("", "more"), shell("more"));
  EXPECT_EQ(pager_command(nullptr, "cat"), std::nullopt);
  EXPECT_EQ(pager_command("cat", "more"), std::nullopt);
}

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Page, FeedsThePagerItsTextAndWaitsForIt) {
  const fs::path dir = fs::temp_directory_path() / ("vantri-pager-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path got = dir / "got";
  // Far more than a pipe holds, so the pager must be read from as it runs.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "row " + std::to_string(i) + " ─│┌┐\n";
  const std::string command = "cat > '" + got.string() + "'; echo \"$LESS $LV\" >> '" +
                              got.string() + "'";
  ::unsetenv("LESS");
  ::setenv("LV", "-x", 1);
  EXPECT_EQ(page(*pager_command(command.c_str(), nullptr), text), Paged::Shown);
  EXPECT_EQ(read_all(got), text + "FRSX -x\n");

  // A pager that quits at once, reading nothing, is shown and done with.
  EXPECT_EQ(page(*pager_command("exit 0", nullptr), text), Paged::Shown);
  // One the shell cannot find or run, or no program at all, was never
  // started: the caller prints the text instead.
  EXPECT_EQ(page(*pager_command("vantri-no-such-pager", nullptr), text), Paged::NotStarted);
  EXPECT_EQ(page(*pager_command(dir.c_str(), nullptr), text), Paged::NotStarted);
  EXPECT_EQ(page(PagerCommand{{"vantri-no-such-pager"}, {}}, text), Paged::NotStarted);
  fs::remove_all(dir);
}

TEST(ShownSize, ColourSequencesTakeNoColumns) {
  EXPECT_EQ(shown_size("").rows, 0u);
  const ShownSize size = shown_size("ab\n\x1b[31m┌──┐\x1b[0m 日本\n\n");
  EXPECT_EQ(size.columns, 9u);
  EXPECT_EQ(size.rows, 3u);
}

}  // namespace
}  // namespace vantri
