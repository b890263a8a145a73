// Fuzz target: trim_label and wrap_label on arbitrary UTF-8 and widths.
//
// The tail of the input gives the widths and the strategy, the rest is the
// label: either made valid UTF-8 as it is (invalid sequences become
// U+FFFD), or with every byte from 0x80 on standing for a character of
// awkward width (two columns, none, a wide one that is also a mark's base).
//
// Widths are terminal columns (`text_width`).
// trim_label: a label within the limit comes back unchanged; otherwise the
// result is valid UTF-8 at most `max` columns wide, "..." alone up to 3
// columns, and for End, Start and Middle a prefix and/or suffix of the label
// around "..." that loses at most one column to a wide character at a cut
// and never starts with a combining mark cut off its base.
// wrap_label: no lines for width 0; one unchanged line when the text fits;
// otherwise lines of valid UTF-8 within the width (a line of one character
// may be wider), which together hold every non-blank character of the text
// in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "render_edges/wrap_label.h"
#include "text/char_width.h"
#include "text/label_lines.h"
#include "text/utf8.h"
#include "trim/trim.h"

namespace vantri {
namespace {

// A width drawn before the label is known: small, huge, or near the
// label's length, where the interesting cases are.
struct WidthChoice {
  int kind = 0;
  std::uint64_t small = 0;
  std::int64_t delta = 0;

  explicit WidthChoice(FuzzedDataProvider& in)
      : kind(in.ConsumeIntegralInRange<int>(0, 3)),
        small(in.ConsumeIntegralInRange<std::uint64_t>(0, 16)),
        delta(in.ConsumeIntegralInRange<std::int64_t>(-40, 2)) {}

  std::uint64_t for_length(std::size_t length) const {
    if (kind == 0) return small;
    if (kind == 1) return std::numeric_limits<std::uint64_t>::max();
    const std::int64_t w = static_cast<std::int64_t>(length) + delta;
    return w < 0 ? 0 : static_cast<std::uint64_t>(w);
  }
};

std::string without_white_space(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (!is_white_space(next_code_point(text, i))) out += text.substr(start, i - start);
  }
  return out;
}

// `raw` with its bytes below 0x80 kept and the others standing for
// characters of awkward width.
std::string with_awkward_widths(std::string_view raw) {
  static constexpr char32_t kAwkward[16] = {
      U'中', U'語', U'Ａ', U'😀', U'\u0301', U'\u200B', U'\u200D', U'\u3099',
      U'é',  U'\u3000', U'…', U'\uFE0F', U'한', U'\u0E31', U'_', U'\uFFFD'};
  std::string out;
  for (const char c : raw) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      append_utf8(out, kAwkward[b & 0x0F]);
    }
  }
  return out;
}

// Whether `text` is empty or starts with a character that takes columns.
bool starts_with_a_base(std::string_view text) {
  std::size_t i = 0;
  return text.empty() || char_width(next_code_point(text, i)) > 0;
}

void check_trim(std::string_view label, std::size_t max, TrimStrategy strategy) {
  const std::string out = trim_label(label, max, strategy);
  if (max >= text_width(label)) {
    FUZZ_CHECK(out == label);
    return;
  }
  FUZZ_CHECK(!validate_utf8(out));
  const std::size_t width = text_width(out);
  FUZZ_CHECK(width <= max);
  if (max <= 3) {
    FUZZ_CHECK(out == std::string(max, '.'));
    return;
  }
  const std::string_view o = out;
  switch (strategy) {
    case TrimStrategy::End:
      FUZZ_CHECK(o.ends_with("..."));
      FUZZ_CHECK(label.starts_with(o.substr(0, o.size() - 3)));
      FUZZ_CHECK(width + 1 >= max);
      break;
    case TrimStrategy::Start:
      FUZZ_CHECK(o.starts_with("..."));
      FUZZ_CHECK(label.ends_with(o.substr(3)));
      FUZZ_CHECK(starts_with_a_base(o.substr(3)));
      FUZZ_CHECK(width + 1 >= max);
      break;
    case TrimStrategy::Middle: {
      // Front part, "...", back part; the front is at most
      // ceil((max - 3) / 2) columns (the label itself may hold "...").
      const std::size_t budget = max - 3;
      bool split_found = false;
      for (std::size_t at = 0; at + 3 <= o.size(); ++at) {
        if (!is_char_boundary(o, at)) continue;
        if (text_width(o.substr(0, at)) > budget - budget / 2) break;
        if (o.substr(at, 3) == "..." && label.starts_with(o.substr(0, at)) &&
            label.ends_with(o.substr(at + 3)) && starts_with_a_base(o.substr(at + 3))) {
          split_found = true;
          break;
        }
      }
      FUZZ_CHECK(split_found);
      FUZZ_CHECK(width + 1 >= max);
      break;
    }
    case TrimStrategy::Smart:
      FUZZ_CHECK(o.find("...") != std::string_view::npos);
      break;
  }
}

void check_wrap(std::string_view text, std::uint64_t width) {
  const std::vector<std::string> lines = wrap_label(text, width);
  if (width == 0) {
    FUZZ_CHECK(lines.empty());
    return;
  }
  const bool several = text.find('\n') != std::string_view::npos;
  if (!several && text_width(text) <= width) {
    FUZZ_CHECK(lines.size() == 1 && lines[0] == text);
    return;
  }
  // A text of several lines wraps line by line; the marks that set a line
  // flush left or right belong to its line feed.
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool mark = (text[i] == kLeftLineEnd || text[i] == kRightLineEnd) &&
                      i + 1 < text.size() && text[i + 1] == '\n';
    if (!several || !mark) shown += text[i];
  }
  if (several) FUZZ_CHECK(lines.size() >= count_label_lines(text));
  std::string joined;
  for (const std::string& line : lines) {
    FUZZ_CHECK(!validate_utf8(line));
    // Wider than the width only when it is one character (and its marks);
    // blanks that set a line in its block do not count.
    const std::string_view piece = std::string_view(line).substr(
        std::min(line.find_first_not_of(' '), line.size()));
    if (text_width(piece) > width) {
      std::size_t i = 0;
      FUZZ_CHECK(static_cast<std::size_t>(char_width(next_code_point(piece, i))) ==
                 text_width(piece));
    }
    joined += line;
  }
  FUZZ_CHECK(without_white_space(joined) == without_white_space(shown));
}

}  // namespace
}  // namespace vantri

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantri;
  FuzzedDataProvider in(data, size);
  // Integers come from the end of the input, the label from the front.
  const auto strategy = static_cast<TrimStrategy>(in.ConsumeIntegralInRange<int>(0, 3));
  const WidthChoice max(in);
  const WidthChoice width(in);
  const bool awkward = in.ConsumeBool();
  const std::string raw = in.ConsumeRemainingBytesAsString();
  const std::string label = awkward ? with_awkward_widths(raw) : decode_utf8_lossy(raw);
  const std::size_t columns = text_width(label);
  const std::uint64_t m = max.for_length(columns);
  check_trim(label, static_cast<std::size_t>(m), strategy);
  check_wrap(label, width.for_length(columns));
  return 0;
}
