// Terminal queries and the progress line.
#include "process/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "messages/messages.h"
#include "process/cli_args.h"

namespace vantri {
namespace {

// Back to the start of the line, and clear it.
constexpr std::string_view kClearLine = "\r\x1b[K";

}  // namespace

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

std::optional<std::uint64_t> terminal_columns(int fd, const char* columns_variable) {
  if (columns_variable != nullptr) {
    const auto columns = parse_cli_number(columns_variable);
    if (columns && *columns > 0) return columns;
  }
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return std::nullopt;
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
