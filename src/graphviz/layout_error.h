// The one error type of layout acquisition, with its user-facing texts.
//
// Every failure of running `dot` or of reading its output becomes exactly
// one `LayoutError`; its `display()` text is composed from the fixed
// messages (messages.h) and travels unchanged to the user.
#ifndef VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_
#define VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantri {

/// An input/output failure: either an operating-system error number with
/// its description, or a fixed message of our own I/O layer.
struct IoError {
  std::optional<int> os_error;
  std::string description;

  /// The system's description of `errno_value`.
  static IoError from_errno(int errno_value);
  /// A failure detected by our own I/O code, such as
  /// "failed to write whole buffer".
  static IoError custom(std::string message);

  /// "{description} (os error {n})", or the fixed message alone.
  std::string display() const;
};

/// Where a program was looked for on PATH.
struct PathSearch {
  /// The absolute directories looked in, in order.
  std::vector<std::string> searched;
  /// Entries that were passed over because they are not absolute (an empty
  /// entry would otherwise mean the working directory).
  std::vector<std::string> skipped;
};

class LayoutError {
 public:
  enum class Kind : std::uint8_t {
    DotNotFound,
    DotFailed,
    Parse,
    Io,
    /// `dot` ran past its deadline and was killed.
    TimedOut,
    /// The caller's interrupt hook ended the run; `dot` was killed.
    Interrupted,
    /// `dot` laid out nothing: the DOT text holds no graph.
    NoGraph,
  };

  /// `search` says where dot was looked for; empty when unknown.
  static LayoutError dot_not_found(PathSearch search = {});
  /// `code` is absent when the child ended by a signal.
  static LayoutError dot_failed(std::optional<std::int32_t> code,
                                std::string stderr_text);
  /// dot was ended by `signal`; `stderr_text` is what it wrote before.
  static LayoutError dot_killed(int signal, std::string stderr_text);
  /// The program at `path` exists but could not be started.
  static LayoutError dot_unrunnable(const std::string& path, IoError error);
  static LayoutError parse(std::string message);
  static LayoutError io(IoError error);
  static LayoutError timed_out(double seconds);
  static LayoutError interrupted();
  static LayoutError no_graph();

  Kind kind() const { return kind_; }
  /// DotFailed: the exit code, if any.
  std::optional<std::int32_t> code() const { return code_; }
  /// DotFailed: the signal that ended dot, if one did.
  std::optional<int> signal() const { return signal_; }
  /// DotFailed: standard error; Parse: the reader's message;
  /// Io: the error's display text.
  const std::string& detail() const { return detail_; }
  /// Io: the underlying error.
  const std::optional<IoError>& io_error() const { return io_; }

  /// The text the user sees.
  std::string display() const;

 private:
  LayoutError(Kind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}

  Kind kind_;
  std::optional<std::int32_t> code_;
  std::optional<int> signal_;
  std::string detail_;
  std::optional<IoError> io_;
  PathSearch search_;
  double seconds_ = 0;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_
