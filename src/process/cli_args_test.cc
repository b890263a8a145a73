#include "process/cli_args.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantri {
namespace {

// As on a terminal, where no FILE is a usage error.
CliCommand parse(std::vector<std::string> args) { return parse_cli_args(args, true); }

CliRender render_of(std::vector<std::string> args) {
  CliCommand command = parse(std::move(args));
  EXPECT_TRUE(std::holds_alternative<CliRender>(command));
  return std::holds_alternative<CliRender>(command) ? std::get<CliRender>(command)
                                                    : CliRender{};
}

std::string usage_error(std::vector<std::string> args) {
  CliCommand command = parse(std::move(args));
  EXPECT_TRUE(std::holds_alternative<CliUsageError>(command));
  return std::holds_alternative<CliUsageError>(command)
             ? std::get<CliUsageError>(command).message
             : "";
}

TEST(CliArgs, HelpVersionAndUsageErrorsEndThePassInOrder) {
  EXPECT_EQ(parse({"-h", "graph.dot"}), CliCommand(CliHelp{}));
  EXPECT_EQ(parse({"graph.dot", "--help", "-x"}), CliCommand(CliHelp{}));
  EXPECT_EQ(parse({"-V"}), CliCommand(CliVersion{}));
  EXPECT_EQ(parse({"--version", "--help"}), CliCommand(CliVersion{}));
  EXPECT_EQ(usage_error({"-x", "--help"}), "unknown option: -x");
  EXPECT_EQ(usage_error({}), "no FILE given (\"-\" reads standard input)");
  EXPECT_EQ(usage_error({"--no-color"}), "no FILE given (\"-\" reads standard input)");
  EXPECT_EQ(usage_error({"--WIDTH", "80", "g.dot"}), "unknown option: --WIDTH");
  EXPECT_EQ(usage_error({"g.dot", "--width"}), "option --width needs a value");
  EXPECT_EQ(usage_error({"--no-color=yes", "g.dot"}), "option --no-color takes no value");
  EXPECT_EQ(usage_error({"--help=yes"}), "option --help takes no value");
}

TEST(CliArgs, FilesInOrderAfterDoubleDashToo) {
  EXPECT_EQ(render_of({"a.dot", "-", "", "b.dot"}).files,
            (std::vector<std::string>{"a.dot", "-", "", "b.dot"}));
  EXPECT_EQ(render_of({"--", "-x", "--width", "-"}).files,
            (std::vector<std::string>{"-x", "--width", "-"}));
  CliRender expected;
  expected.files = {"g.dot"};
  EXPECT_EQ(render_of({"g.dot"}), expected);
  // Standard input that is no terminal stands in for a missing FILE only.
  const std::vector<std::string> none = {"--no-color", "--"};
  const CliCommand piped = parse_cli_args(none, false);
  ASSERT_TRUE(std::holds_alternative<CliRender>(piped));
  EXPECT_EQ(std::get<CliRender>(piped).files, std::vector<std::string>{"-"});
  const std::vector<std::string> named = {"g.dot"};
  EXPECT_EQ(parse_cli_args(named, false), CliCommand(expected));
}

TEST(CliArgs, ValuesSeparateOrJoinedAndLastOneWins) {
  const CliRender r = render_of({"--width=80", "--trim", "END", "--max-label", "+7",
                                 "--timeout=2.5", "--no-color", "--color", "g.dot"});
  EXPECT_EQ(r.width, 80u);
  EXPECT_EQ(r.trim, TrimStrategy::End);
  EXPECT_EQ(r.max_label, 7u);
  EXPECT_EQ(r.timeout_seconds, 2.5);
  EXPECT_EQ(r.color, ColorChoice::Ansi);
  EXPECT_TRUE(r.pager);
  EXPECT_EQ(render_of({"--color", "--no-color", "g.dot"}).color, ColorChoice::BoxStyles);
  EXPECT_FALSE(render_of({"--no-pager", "g.dot"}).pager);
  EXPECT_EQ(usage_error({"--no-pager=1", "g.dot"}), "option --no-pager takes no value");
  EXPECT_EQ(render_of({"--width", "80", "--width", "0", "g.dot"}).width, 0u);
}

TEST(CliArgs, InvalidValuesAreUsageErrors) {
  for (const char* width : {"abc", "-5", "", "+", "18446744073709551616", "1 "}) {
    EXPECT_EQ(usage_error({"--width", width, "g.dot"}),
              "invalid value '" + std::string(width) +
                  "' for --width: expected a whole number of columns");
  }
  for (const char* width : {"1", "4"}) {
    EXPECT_EQ(usage_error({"--width=" + std::string(width), "g.dot"}),
              "invalid value '" + std::string(width) +
                  "' for --width: the narrowest drawing is 5 columns wide (0 means no limit)");
  }
  EXPECT_EQ(usage_error({"--width", "--no-color", "g.dot"}),
            "invalid value '--no-color' for --width: expected a whole number of columns");
  EXPECT_EQ(usage_error({"--max-label", "x", "g.dot"}),
            "invalid value 'x' for --max-label: expected a whole number of columns");
  EXPECT_EQ(usage_error({"--trim", "best", "g.dot"}),
            "unknown trim strategy: best (expected end, start, middle or smart)");
  for (const char* seconds : {"0", "-1", "x", "nan", "inf", "1s"}) {
    EXPECT_EQ(usage_error({"--timeout", seconds, "g.dot"}),
              "invalid value '" + std::string(seconds) +
                  "' for --timeout: expected a positive number of seconds");
  }
  EXPECT_EQ(render_of({"--max-label", "18446744073709551615", "g.dot"}).max_label,
            18446744073709551615u);
  EXPECT_EQ(parse_cli_number("007"), 7u);
}

}  // namespace
}  // namespace vantri
