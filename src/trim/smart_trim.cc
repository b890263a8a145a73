// Greedy selection of whole words from both ends of an identifier.
#include "trim/smart_trim.h"

#include <vector>

#include "text/label_lines.h"

namespace vantri {
namespace {

std::vector<std::string_view> split_words(std::string_view label) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (true) {
    const std::size_t sep = label.find('_', start);
    if (sep == std::string_view::npos) {
      words.push_back(label.substr(start));
      return words;
    }
    words.push_back(label.substr(start, sep - start));
    start = sep + 1;
  }
}

// Words [first, last) joined with "_".
std::string join_words(const std::vector<std::string_view>& words,
                       std::size_t first, std::size_t last) {
  std::string joined;
  for (std::size_t w = first; w < last; ++w) {
    if (w > first) joined += '_';
    joined += words[w];
  }
  return joined;
}

}  // namespace

std::optional<std::string> smart_trim(std::string_view label,
                                      std::size_t budget) {
  const std::vector<std::string_view> words = split_words(label);
  const std::size_t n = words.size();
  if (n < 2) return std::nullopt;

  // Front words are taken as 0..front-1, back words as back..n-1. A front
  // word pays for the "_" before it (except the first); a back word always
  // pays for one "_", the one after the ellipsis or before the next word.
  std::size_t front = 0;
  std::size_t back = n;
  std::size_t used = 0;
  auto front_cost = [&] { return text_width(words[front]) + (front > 0 ? 1 : 0); };
  auto back_cost = [&] { return text_width(words[back - 1]) + 1; };
  auto fits = [&](std::size_t cost) { return used + cost <= budget; };

  while (front < back) {
    if (fits(front_cost())) {
      used += front_cost();
      ++front;
      if (front >= back) break;
      if (fits(back_cost())) {
        used += back_cost();
        --back;
        continue;
      }
      // The back side is exhausted: go on with the front alone.
      while (front < back && fits(front_cost())) {
        used += front_cost();
        ++front;
      }
      break;
    }
    // The front word does not fit; the back side goes on alone.
    if (!fits(back_cost())) break;
    used += back_cost();
    --back;
  }

  if (front == 0 && back == n) return std::nullopt;

  const std::string head = join_words(words, 0, front);
  const std::string tail = join_words(words, back, n);
  if (head.empty()) return "..." + tail;
  if (tail.empty()) return head + "...";
  return head + "..._" + tail;
}

}  // namespace vantri
