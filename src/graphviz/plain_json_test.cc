// The plain JSON reader against the full parser it stands in for.
#include "graphviz/plain_json.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <string>
#include <vector>

#include "support/json_events.h"

namespace vantri {
namespace {

using testing::JsonEvents;

// Random JSON built from the pieces dot writes and from those it does not:
// negative and fractional numbers, \u escapes, UTF-8 and control bytes,
// nesting and white space everywhere JSON allows it.
class Documents {
 public:
  explicit Documents(unsigned seed) : rng_(seed) {}

  std::string make(bool plain) {
    plain_ = plain;
    std::string out = space();
    value(out, 0);
    return out + space();
  }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  std::string space() {
    static const char* const kSpaces[] = {"", "", " ", "\n  ", "\t", "\r\n"};
    return kSpaces[pick(6)];
  }

  void string(std::string& out) {
    static const char* const kPlain[] = {"a", "node", "0,0,100,50", " ", "\\\"", "\\\\", "\\/",
                                         "\\n", "\\t", "\\b\\f\\r", "é", "數量", "😀", "\x7F"};
    static const char* const kOther[] = {"\\u0041", "\\ud83d\\ude00", "\\q", "\t", "\x01",
                                         "\xFF", "\xC3", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                         "\xE0\x80\x80", "\\"};
    out += '"';
    const std::size_t n = pick(4);
    for (std::size_t i = 0; i < n; ++i) {
      out += !plain_ && pick(6) == 0 ? kOther[pick(std::size(kOther))] : kPlain[pick(std::size(kPlain))];
    }
    out += '"';
  }

  void number(std::string& out) {
    static const char* const kPlain[] = {"0", "7", "42", "18446744073709551615", "1000000"};
    static const char* const kOther[] = {"-1", "1.5", "1e3", "01", "18446744073709551616",
                                         "-0", "2E-2", "1.", ".5", "-"};
    out += !plain_ && pick(4) == 0 ? kOther[pick(std::size(kOther))] : kPlain[pick(std::size(kPlain))];
  }

  void value(std::string& out, int depth) {
    switch (depth > 4 ? pick(3) : pick(6)) {
      case 0: string(out); break;
      case 1: number(out); break;
      case 2: {
        static const char* const kWords[] = {"true", "false", "null"};
        out += kWords[pick(3)];
        break;
      }
      case 3:
      case 4: {
        out += '{';
        const std::size_t n = pick(4);
        for (std::size_t i = 0; i < n; ++i) {
          if (i) out += "," + space();
          string(out);
          out += space() + ":" + space();
          value(out, depth + 1);
        }
        out += space() + "}";
        break;
      }
      default: {
        out += '[';
        const std::size_t n = pick(4);
        for (std::size_t i = 0; i < n; ++i) {
          if (i) out += space() + ",";
          value(out, depth + 1);
        }
        out += space() + "]";
        break;
      }
    }
  }

  std::mt19937 rng_;
  bool plain_ = true;
};

// Whatever the plain reader accepts, the full parser accepts with the very
// same events; plain documents it always accepts. Documents outside the
// plain subset, and every document broken by a cut or a changed byte, it
// may decline, but never read differently.
TEST(PlainJson, AcceptsOnlyWhatTheFullParserReadsAlike) {
  Documents documents(5);
  std::mt19937 rng(9);
  std::size_t accepted = 0, compared = 0;
  for (int round = 0; round < 4000; ++round) {
    const bool plain = round % 2 == 0;
    std::string text = documents.make(plain);
    if (round % 3 == 2 && !text.empty()) {
      // A cut, or one byte changed to a character JSON gives meaning to.
      static const char kBytes[] = "{}[],:\" \\0-.eE\x80";
      const std::size_t at = rng() % text.size();
      if (rng() % 2) {
        text.resize(at);
      } else {
        text[at] = kBytes[rng() % (sizeof kBytes - 1)];
      }
    }
    JsonEvents fast;
    const bool read = read_plain_json(text, fast);
    if (plain && round % 3 != 2) {
      EXPECT_TRUE(read) << text;
    }
    if (!read) continue;
    ++accepted;
    JsonEvents full;
    ASSERT_TRUE(nlohmann::json::sax_parse(text, &full)) << text;
    ASSERT_EQ(fast.log, full.log) << text;
    ++compared;
  }
  EXPECT_GT(accepted, 1500u);
  EXPECT_EQ(compared, accepted);
}

}  // namespace
}  // namespace vantri
