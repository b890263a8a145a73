// layout_with_dot: one `dot -Tjson0` run, its outcome as a LayoutError or
// the layout graph read from its output.
#include "graphviz/run_dot.h"

#include <cerrno>
#include <string>
#include <vector>

#include "graphviz/child_process.h"
#include "graphviz/json0_reader.h"
#include "text/utf8.h"

namespace vantri {

std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source, std::span<const std::string> dot_args) {
  std::vector<std::string> command = {"dot", "-Tjson0"};
  command.insert(command.end(), dot_args.begin(), dot_args.end());
  auto run = run_child(command, dot_source);
  if (!run) {
    const ChildError& failure = run.error();
    if (failure.stage == ChildError::Stage::Start &&
        failure.error.os_error == ENOENT) {
      return std::unexpected(LayoutError::dot_not_found());
    }
    return std::unexpected(LayoutError::io(failure.error));
  }
  if (run->exit_code != 0) {
    // Also taken when a signal ended dot and there is no exit code, and when
    // dot stopped reading early: its diagnostic (a syntax error near the
    // start of a large text, say) says more than the broken pipe.
    return std::unexpected(
        LayoutError::dot_failed(run->exit_code, decode_utf8_lossy(run->err)));
  }
  // A dot that left input unread cannot have laid out the whole graph.
  if (run->input_error) return std::unexpected(LayoutError::io(*run->input_error));
  // Warnings on standard error are dropped when dot succeeds.
  if (const auto bad = validate_utf8(run->out)) {
    return std::unexpected(
        LayoutError::parse("dot output is not valid UTF-8: " + bad->describe()));
  }
  return read_json0(run->out);
}

}  // namespace vantri
