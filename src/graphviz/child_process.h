// Running a program with its three standard streams on pipes.
//
// The input is written while standard output and standard error are
// drained, so a child that writes a lot before reading all its input cannot
// deadlock the caller. A failed write never raises SIGPIPE in the caller.
// Every descriptor is closed and the child reaped before `run_child`
// returns, on every path.
#ifndef VANTRI_GRAPHVIZ_CHILD_PROCESS_H_
#define VANTRI_GRAPHVIZ_CHILD_PROCESS_H_

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"

namespace vantri {

struct ChildOutput {
  std::string out;
  std::string err;
  /// The exit code; absent when the child was ended by a signal.
  std::optional<std::int32_t> exit_code;
  /// Set when the child closed its input before taking all of it (a broken
  /// pipe); the rest of its output was still collected.
  std::optional<IoError> input_error;
};

struct ChildError {
  /// Start: the program could not be started (no child exists);
  /// Run: creating pipes, talking to the child or waiting for it failed.
  enum class Stage : std::uint8_t { Start, Run };
  Stage stage;
  IoError error;
};

/// Runs `argv[0]`, found through PATH, with the arguments `argv`, writes
/// `input` to its standard input, closes it and collects both output
/// streams to their ends before waiting for the exit. A child that stops
/// reading early is not a failure here: see `ChildOutput::input_error`. The child gets the
/// default SIGPIPE action and an empty signal mask, whatever the caller's.
std::expected<ChildOutput, ChildError> run_child(
    const std::vector<std::string>& argv, std::string_view input);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_CHILD_PROCESS_H_
