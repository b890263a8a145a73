// What the command line asks of the terminal: whether a stream is one, how
// wide and tall it is and how much of it a text takes, whether colour is
// wanted, and a progress line that rewrites itself in place.
#ifndef VANTRI_PROCESS_TERMINAL_H_
#define VANTRI_PROCESS_TERMINAL_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace vantri {

bool is_terminal(int fd);

/// The width of the terminal on `fd`: `columns_variable` (the value of
/// COLUMNS) when it holds a whole number above 0, else the terminal's own
/// size; absent when neither says.
std::optional<std::uint64_t> terminal_columns(int fd, const char* columns_variable);

/// The height of the terminal on `fd`: `lines_variable` (the value of
/// LINES) when it holds a whole number above 0, else the terminal's own
/// size; absent when neither says.
std::optional<std::uint64_t> terminal_rows(int fd, const char* lines_variable);

/// How a text shows on a terminal: its widest line in columns, ANSI
/// colour sequences taking none, and how many lines it has.
struct ShownSize {
  std::uint64_t columns = 0;
  std::uint64_t rows = 0;
};
ShownSize shown_size(std::string_view text);

/// Whether NO_COLOR, given its value (null when unset), asks for no colour:
/// it does when set to anything but the empty string.
bool no_color_requested(const char* no_color_variable);

/// Writes all of `text` to `fd`. After a signal the write goes on unless
/// `interrupted` answers true; false on failure, with errno saying why
/// (EINTR when interrupted).
bool write_fully(int fd, std::string_view text,
                 const std::function<bool()>& interrupted = {});

/// "vantri: dot is laying out the graph… 12 s" on a terminal, each update
/// written over the last one, and erased before anything else is printed.
/// Safe to call from a thread that does not hold Python's lock.
class ProgressLine {
 public:
  explicit ProgressLine(int fd) : fd_(fd) {}
  ~ProgressLine() { erase(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(std::chrono::seconds elapsed);
  /// Clears the line if it is shown.
  void erase();

 private:
  int fd_;
  bool shown_ = false;
};

}  // namespace vantri

#endif  // VANTRI_PROCESS_TERMINAL_H_
