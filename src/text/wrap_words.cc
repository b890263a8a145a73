// Balanced line breaking: the narrowest width at which greedy filling needs
// no more lines than allowed, found by bisection, then filled greedily.
#include "text/wrap_words.h"

#include <algorithm>

#include "text/label_lines.h"

namespace vantri {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// A word of the line: its bytes, and the columns from the line's start to
// its first character and past its last one.
struct Word {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t column_begin = 0;
  std::size_t column_end = 0;
};

std::vector<Word> words_of(std::string_view line) {
  std::vector<Word> words;
  std::size_t i = 0;
  std::size_t column = 0;
  while (i < line.size()) {
    const std::size_t gap = i;
    while (i < line.size() && blank(line[i])) ++i;
    column += i - gap;
    if (i == line.size()) break;
    Word word;
    word.begin = i;
    word.column_begin = column;
    while (i < line.size() && !blank(line[i])) ++i;
    word.end = i;
    column += text_width(line.substr(word.begin, word.end - word.begin));
    word.column_end = column;
    words.push_back(word);
  }
  return words;
}

// Where each line starts (an index into `words`) when lines are filled
// greedily up to `width` columns; a word wider than that has a line of
// its own. Stops once more than `most` lines are needed.
std::vector<std::size_t> fill(const std::vector<Word>& words, std::size_t width,
                              std::size_t most) {
  std::vector<std::size_t> starts;
  std::size_t first = 0;
  while (first < words.size() && starts.size() <= most) {
    starts.push_back(first);
    std::size_t last = first + 1;
    while (last < words.size() &&
           words[last].column_end - words[first].column_begin <= width) {
      ++last;
    }
    first = last;
  }
  return starts;
}

}  // namespace

std::vector<std::string_view> balanced_lines(std::string_view line, std::size_t max_lines) {
  if (line.empty()) return {};
  const std::vector<Word> words = words_of(line);
  if (words.size() < 2 || max_lines < 2) return {line};

  // Between the widest word and the whole text, the narrowest width that
  // greedy filling manages in `max_lines` lines.
  std::size_t low = 0;
  for (const Word& word : words) low = std::max(low, word.column_end - word.column_begin);
  std::size_t high = words.back().column_end - words.front().column_begin;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (fill(words, middle, max_lines).size() <= max_lines) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  const std::vector<std::size_t> starts = fill(words, low, max_lines);
  if (starts.size() < 2) return {line};
  std::vector<std::string_view> lines;
  lines.reserve(starts.size());
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t last = (k + 1 < starts.size() ? starts[k + 1] : words.size()) - 1;
    const std::size_t begin = words[starts[k]].begin;
    lines.push_back(line.substr(begin, words[last].end - begin));
  }
  return lines;
}

}  // namespace vantri
