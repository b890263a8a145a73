// Fuzz target: turning DOT source bytes into UTF-8 text (the charset scan
// and the Latin-1 conversion) on arbitrary bytes.
//
// dot_text_from_bytes either fails, only for bytes that are not UTF-8 in a
// graph that does not declare Latin-1, or gives valid UTF-8: the input
// unchanged when it does not declare Latin-1, else one with the same
// declarations where each Latin-1 one now says "UTF-8". dot_text_from_unicode
// gives valid UTF-8 for valid UTF-8 and is idempotent. Declarations lie
// within the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "process/dot_encoding.h"
#include "text/utf8.h"

namespace vantri {
namespace {

bool declares_latin1(const std::vector<CharsetDeclaration>& declarations) {
  return !declarations.empty() && is_latin1_charset(declarations.back().value);
}

void check_declarations(std::string_view text,
                        const std::vector<CharsetDeclaration>& declarations) {
  std::size_t after = 0;
  for (const CharsetDeclaration& d : declarations) {
    FUZZ_CHECK(after <= d.begin && d.begin < d.end && d.end <= text.size());
    FUZZ_CHECK(text.substr(d.begin, d.end - d.begin).find(d.value) != std::string_view::npos);
    after = d.end;
  }
}

void check_bytes(const std::string& bytes) {
  const auto before = find_charset_declarations(bytes);
  check_declarations(bytes, before);
  const auto text = dot_text_from_bytes(bytes);
  if (!text) {
    FUZZ_CHECK(validate_utf8(bytes).has_value() && !declares_latin1(before));
    return;
  }
  FUZZ_CHECK(!validate_utf8(*text));
  if (!declares_latin1(before)) {
    FUZZ_CHECK(*text == bytes);
    return;
  }
  const auto after = find_charset_declarations(*text);
  check_declarations(*text, after);
  FUZZ_CHECK(after.size() == before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    FUZZ_CHECK(is_latin1_charset(before[i].value) ? after[i].value == "UTF-8"
                                                  : !is_latin1_charset(after[i].value));
  }
}

void check_unicode(const std::string& bytes) {
  const std::string text = decode_utf8_lossy(bytes);
  const std::string once = dot_text_from_unicode(text);
  FUZZ_CHECK(!validate_utf8(once));
  FUZZ_CHECK(dot_text_from_unicode(once) == once);
  FUZZ_CHECK(!declares_latin1(find_charset_declarations(once)));
}

}  // namespace
}  // namespace vantri

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  vantri::check_bytes(bytes);
  vantri::check_unicode(bytes);
  return 0;
}
