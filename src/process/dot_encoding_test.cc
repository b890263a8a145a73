#include "process/dot_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantri {
namespace {

std::vector<std::string> declared(std::string_view dot) {
  std::vector<std::string> values;
  for (const CharsetDeclaration& d : find_charset_declarations(dot)) {
    EXPECT_EQ(dot.substr(d.begin, d.end - d.begin).find(d.value), 0u + (dot[d.begin] == '"'));
    values.emplace_back(d.value);
  }
  return values;
}

TEST(DotEncoding, FindsDeclarationsOutsideCommentsAndStrings) {
  EXPECT_EQ(declared("digraph { graph [charset=latin1] a }"),
            (std::vector<std::string>{"latin1"}));
  EXPECT_EQ(declared("graph{charset = \"ISO-8859-1\"; \"charset\"=utf8}"),
            (std::vector<std::string>{"ISO-8859-1", "utf8"}));
  EXPECT_EQ(declared("digraph {\n"
                     "// charset=latin1\n"
                     "/* charset=latin1 */\n"
                     "#charset=latin1\n"
                     "a [label=\"charset=latin1 \\\" charset=l1\"];\n"
                     "b [label=<<b>charset=latin1</b>>];\n"
                     "c -> charset; x=charset\n"
                     "}"),
            std::vector<std::string>{});
  EXPECT_EQ(declared("digraph { charset=\"unterminated"), (std::vector<std::string>{"unterminated"}));
}

TEST(DotEncoding, Latin1IsDecodedAndRedeclared) {
  const std::string latin1 = "digraph { charset=Latin1 a [label=\"caf\xE9 \xFF\"] }";
  const auto text = dot_text_from_bytes(latin1);
  ASSERT_TRUE(text.has_value()) << text.error().display();
  EXPECT_EQ(*text, "digraph { charset=\"UTF-8\" a [label=\"caf\xC3\xA9 \xC3\xBF\"] }");
  // A str is text already: only the declaration changes.
  EXPECT_EQ(dot_text_from_unicode("graph { charset=\"iso-ir-100\"; \xC3\xA9 }"),
            "graph { charset=\"UTF-8\"; \xC3\xA9 }");
  // The last declaration is the one that counts.
  EXPECT_EQ(dot_text_from_unicode("graph { charset=l1; charset=utf8 }"),
            "graph { charset=l1; charset=utf8 }");
  EXPECT_TRUE(is_latin1_charset("ISO_8859-1"));
  EXPECT_FALSE(is_latin1_charset("latin2"));
}

TEST(DotEncoding, OtherBytesMustBeUtf8) {
  EXPECT_EQ(dot_text_from_bytes("digraph { \xC3\xA9 }").value_or("?"), "digraph { \xC3\xA9 }");
  const auto bad = dot_text_from_bytes("digraph { a [label=\"caf\xE9\"] }");
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().display(),
            "stream did not contain valid UTF-8: invalid utf-8 sequence of 1 bytes from index 23");
  // A label saying charset=latin1 declares nothing.
  EXPECT_FALSE(dot_text_from_bytes("digraph { a [label=\"charset=latin1 \xE9\"] }").has_value());
}

}  // namespace
}  // namespace vantri
