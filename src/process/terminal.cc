// Terminal queries and the progress line.
#include "process/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "messages/messages.h"
#include "process/cli_args.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Back to the start of the line, and clear it.
constexpr std::string_view kClearLine = "\r\x1b[K";

}  // namespace

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

namespace {

// A positive number from the environment variable when it holds one, else
// the terminal's own size along the field asked for.
std::optional<std::uint64_t> terminal_extent(int fd, const char* variable,
                                             unsigned short winsize::*field) {
  if (variable != nullptr) {
    const auto value = parse_cli_number(variable);
    if (value && *value > 0) return value;
  }
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.*field > 0) return size.*field;
  return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> terminal_columns(int fd, const char* columns_variable) {
  return terminal_extent(fd, columns_variable, &winsize::ws_col);
}

std::optional<std::uint64_t> terminal_rows(int fd, const char* lines_variable) {
  return terminal_extent(fd, lines_variable, &winsize::ws_row);
}

ShownSize shown_size(std::string_view text) {
  ShownSize size;
  std::string shown;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    // The line without its colour sequences (ESC [ ... m).
    shown.clear();
    for (std::size_t i = start; i < end; ++i) {
      if (text[i] == '\x1b' && i + 1 < end && text[i + 1] == '[') {
        std::size_t j = i + 2;
        while (j < end && text[j] != 'm') ++j;
        i = j;
        continue;
      }
      shown += text[i];
    }
    size.columns = std::max<std::uint64_t>(size.columns, text_width(shown));
    ++size.rows;
    start = end + 1;
  }
  return size;
}

bool no_color_requested(const char* no_color_variable) {
  return no_color_variable != nullptr && no_color_variable[0] != '\0';
}

bool write_fully(int fd, std::string_view text, const std::function<bool()>& interrupted) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno != EINTR) return false;
      if (interrupted && interrupted()) {
        errno = EINTR;
        return false;
      }
      continue;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void ProgressLine::show(std::chrono::seconds elapsed) {
  const std::string line = std::string(kClearLine) + messages::progress(elapsed.count());
  shown_ = write_fully(fd_, line) || shown_;
}

void ProgressLine::erase() {
  if (shown_) (void)write_fully(fd_, kClearLine);
  shown_ = false;
}

}  // namespace vantri
