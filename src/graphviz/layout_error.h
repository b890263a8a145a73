// The one error type of layout acquisition, with its user-facing texts.
//
// Every failure of running `dot` or of reading its output becomes exactly
// one `LayoutError`; its `display()` text is composed from fixed templates
// and travels unchanged to the user.
#ifndef VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_
#define VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_

#include <cstdint>
#include <optional>
#include <string>

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

class LayoutError {
 public:
  enum class Kind : std::uint8_t { DotNotFound, DotFailed, Parse, Io };

  static LayoutError dot_not_found();
  /// `code` is absent when the child ended by a signal.
  static LayoutError dot_failed(std::optional<std::int32_t> code,
                                std::string stderr_text);
  static LayoutError parse(std::string message);
  static LayoutError io(IoError error);

  Kind kind() const { return kind_; }
  /// DotFailed: the exit code, if any.
  std::optional<std::int32_t> code() const { return code_; }
  /// DotFailed: standard error; Parse: the reader's message;
  /// Io: the error's display text.
  const std::string& detail() const { return detail_; }
  /// Io: the underlying error.
  const std::optional<IoError>& io_error() const { return io_; }

  /// The text the user sees.
  std::string display() const;

 private:
  LayoutError(Kind kind, std::optional<std::int32_t> code, std::string detail,
              std::optional<IoError> io)
      : kind_(kind), code_(code), detail_(std::move(detail)), io_(std::move(io)) {}

  Kind kind_;
  std::optional<std::int32_t> code_;
  std::string detail_;
  std::optional<IoError> io_;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_LAYOUT_ERROR_H_
