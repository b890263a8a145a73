// Label escapes and title lines.
#include "graphviz/label_text.h"

#include "graphviz/html_label.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {

std::string expand_label_escapes(std::string_view label, const std::string* name) {
  std::string out;
  out.reserve(label.size());
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '\\' && i + 1 < label.size()) {
      const char next = label[i + 1];
      if (next == 'n' || next == 'l' || next == 'r') {
        out += line_end(next == 'l' ? LineAlign::Left
                        : next == 'r' ? LineAlign::Right
                                      : LineAlign::Centre);
        ++i;
        continue;
      }
      if (next == '\\') {
        out += '\\';
        ++i;
        continue;
      }
      if (next == 'N' && name) {
        out += *name;
        ++i;
        continue;
      }
    }
    out += label[i];
  }
  return out;
}

std::vector<TitleLine> aligned_title_lines(std::string_view label, bool html) {
  const std::string text = html ? html_label_text(label) : expand_label_escapes(label, nullptr);
  std::vector<TitleLine> lines;
  for (const AlignedLine& line : split_aligned_lines(text)) {
    const std::string_view trimmed = trim_white_space(line.text);
    if (lines.empty() && trimmed.empty()) continue;
    lines.push_back({std::string(trimmed), line.align});
  }
  while (!lines.empty() && lines.back().text.empty()) lines.pop_back();
  return lines;
}

std::vector<std::string> title_lines(std::string_view label, bool html) {
  std::vector<std::string> lines;
  for (TitleLine& line : aligned_title_lines(label, html)) lines.push_back(std::move(line.text));
  return lines;
}

std::string one_line_title(std::string_view label, bool html) {
  std::string out;
  for (const std::string& line : title_lines(label, html)) {
    if (line.empty()) continue;
    if (!out.empty()) out += ' ';
    out += line;
  }
  return out;
}

}  // namespace vantri
