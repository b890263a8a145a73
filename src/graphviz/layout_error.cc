// Display texts of layout errors.
#include "graphviz/layout_error.h"

#include <cstring>
#include <utility>

#include "messages/messages.h"

namespace vantri {

IoError IoError::from_errno(int errno_value) {
  char buffer[256];
  // The GNU strerror_r returns the message, which may not be `buffer`.
  const char* text = strerror_r(errno_value, buffer, sizeof buffer);
  return IoError{errno_value, text};
}

IoError IoError::custom(std::string message) {
  return IoError{std::nullopt, std::move(message)};
}

std::string IoError::display() const {
  if (!os_error) return description;
  return messages::os_error(description, *os_error);
}

LayoutError LayoutError::dot_not_found(PathSearch search) {
  LayoutError e(Kind::DotNotFound, {});
  e.search_ = std::move(search);
  return e;
}

LayoutError LayoutError::dot_failed(std::optional<std::int32_t> code,
                                    std::string stderr_text) {
  LayoutError e(Kind::DotFailed, std::move(stderr_text));
  e.code_ = code;
  return e;
}

LayoutError LayoutError::dot_killed(int signal, std::string stderr_text) {
  LayoutError e(Kind::DotFailed, std::move(stderr_text));
  e.signal_ = signal;
  return e;
}

LayoutError LayoutError::dot_unrunnable(const std::string& path, IoError error) {
  LayoutError e(Kind::Io, messages::dot_unrunnable(path, error.display()));
  e.io_ = std::move(error);
  return e;
}

LayoutError LayoutError::parse(std::string message) {
  return LayoutError(Kind::Parse, std::move(message));
}

LayoutError LayoutError::io(IoError error) {
  LayoutError e(Kind::Io, error.display());
  e.io_ = std::move(error);
  return e;
}

LayoutError LayoutError::timed_out(double seconds) {
  LayoutError e(Kind::TimedOut, {});
  e.seconds_ = seconds;
  return e;
}

LayoutError LayoutError::interrupted() { return LayoutError(Kind::Interrupted, {}); }

LayoutError LayoutError::no_graph() { return LayoutError(Kind::NoGraph, {}); }

std::string LayoutError::display() const {
  switch (kind_) {
    case Kind::DotNotFound:
      return messages::dot_not_found(search_.searched, search_.skipped);
    case Kind::DotFailed:
      if (signal_) return messages::dot_killed(*signal_, sigdescr_np(*signal_), detail_);
      return messages::dot_exited(code_, detail_);
    case Kind::Parse:
      return messages::json0_unreadable(detail_);
    case Kind::Io:
      return detail_;
    case Kind::TimedOut:
      return messages::dot_timed_out(seconds_);
    case Kind::Interrupted:
      return std::string(messages::kInterrupted);
    case Kind::NoGraph:
      return std::string(messages::kNoGraph);
  }
  return detail_;
}

}  // namespace vantri
