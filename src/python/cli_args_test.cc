#include "python/cli_args.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantri {
namespace {

CliCommand parse(std::vector<std::string> args) { return parse_cli_args(args); }

CliRender render_of(std::vector<std::string> args) {
  CliCommand command = parse(std::move(args));
  EXPECT_TRUE(std::holds_alternative<CliRender>(command));
  return std::holds_alternative<CliRender>(command) ? std::get<CliRender>(command)
                                                    : CliRender{};
}

TEST(CliArgs, HelpStopsThePassWherever) {
  EXPECT_EQ(parse({"-h", "graph.dot"}), CliCommand(CliHelp{}));
  EXPECT_EQ(parse({"graph.dot", "--help"}), CliCommand(CliHelp{}));
  // Help wins even over a later unknown option, but not an earlier one.
  EXPECT_EQ(parse({"--help", "-x"}), CliCommand(CliHelp{}));
  EXPECT_EQ(parse({"-x", "--help"}), CliCommand(CliUnknownOption{"-x"}));
}

TEST(CliArgs, UsageErrors) {
  EXPECT_EQ(parse({}), CliCommand(CliMissingFile{}));
  EXPECT_EQ(parse({"--no-color"}), CliCommand(CliMissingFile{}));
  EXPECT_EQ(parse({"-x", "graph.dot"}), CliCommand(CliUnknownOption{"-x"}));
  EXPECT_EQ(parse({"--width=80", "g.dot"}), CliCommand(CliUnknownOption{"--width=80"}));
  EXPECT_EQ(parse({"--WIDTH", "80", "g.dot"}), CliCommand(CliUnknownOption{"--WIDTH"}));
  // A trailing value-less option ends the pass before the file is seen.
  EXPECT_EQ(parse({"--trim"}), CliCommand(CliMissingFile{}));
}

TEST(CliArgs, PositionalsAndStandardInput) {
  EXPECT_EQ(render_of({"a.dot", "b.dot"}).file, "b.dot");
  EXPECT_EQ(render_of({"-"}).file, "-");
  EXPECT_EQ(render_of({""}).file, "");
  const CliRender plain = render_of({"g.dot"});
  EXPECT_EQ(plain.trim, "smart");
  EXPECT_FALSE(plain.width);
  EXPECT_FALSE(plain.max_label);
  EXPECT_FALSE(plain.no_color);
}

TEST(CliArgs, NumbersReadOrSilentlyClear) {
  EXPECT_EQ(render_of({"--width", "80", "g.dot"}).width, 80u);
  EXPECT_EQ(render_of({"--width", "+80", "g.dot"}).width, 80u);
  EXPECT_FALSE(render_of({"--width", "abc", "g.dot"}).width);
  EXPECT_FALSE(render_of({"--width", "-5", "g.dot"}).width);
  EXPECT_FALSE(render_of({"--width", "80", "--width", "x", "g.dot"}).width);
  EXPECT_EQ(render_of({"--max-label", "18446744073709551615", "g.dot"}).max_label,
            18446744073709551615u);
  EXPECT_FALSE(render_of({"--max-label", "18446744073709551616", "g.dot"}).max_label);
  EXPECT_FALSE(render_of({"g.dot", "--width"}).width);
  EXPECT_EQ(parse_cli_number("+"), std::nullopt);
  EXPECT_EQ(parse_cli_number(""), std::nullopt);
  EXPECT_EQ(parse_cli_number("1 "), std::nullopt);
  EXPECT_EQ(parse_cli_number("007"), 7u);
}

TEST(CliArgs, ValuesAreTakenEvenWhenTheyLookLikeOptions) {
  const CliRender r = render_of({"--width", "--no-color", "graph.dot"});
  EXPECT_FALSE(r.width);
  EXPECT_FALSE(r.no_color);
  EXPECT_EQ(r.file, "graph.dot");
  EXPECT_EQ(render_of({"--trim", "-x", "g.dot"}).trim, "-x");
  EXPECT_EQ(render_of({"--trim", "SMART", "g.dot"}).trim, "SMART");
  EXPECT_EQ(render_of({"g.dot", "--trim"}).trim, "smart");
  EXPECT_TRUE(render_of({"--no-color", "g.dot"}).no_color);
}

TEST(CliArgs, HelpTextEndsEveryLineWithAFeed) {
  EXPECT_TRUE(kCliHelp.ends_with("  -h, --help   Print help\n"));
  EXPECT_EQ(std::count(kCliHelp.begin(), kCliHelp.end(), '\n'), 13);
  EXPECT_EQ(kCliUsage, "Usage: vantri <file.dot> or vantri -\n");
}

}  // namespace
}  // namespace vantri
