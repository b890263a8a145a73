// layout_with_dot: one `dot -Tjson0` run, its outcome as a LayoutError or
// the layout graph read from its output.
#include "graphviz/run_dot.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "graphviz/find_program.h"
#include "graphviz/json0_documents.h"
#include "messages/messages.h"
#include "text/utf8.h"

namespace vantri {
namespace {

LayoutError too_much(std::size_t limit, const char* stream) {
  return LayoutError::io(IoError::custom(messages::dot_wrote_too_much(limit, stream)));
}

}  // namespace

std::expected<LayoutGraph, LayoutError> layout_with_dot(
    std::string_view dot_source, std::span<const std::string> dot_args) {
  return watched_layout_with_dot(dot_source, {}, dot_args);
}

std::expected<LayoutGraph, LayoutError> watched_layout_with_dot(
    std::string_view dot_source, const DotWatch& watch,
    std::span<const std::string> dot_args) {
  auto graphs = watched_layouts_with_dot(dot_source, watch, dot_args);
  if (!graphs) return std::unexpected(std::move(graphs.error()));
  return std::move(graphs->front());
}

std::expected<std::vector<LayoutGraph>, LayoutError> watched_layouts_with_dot(
    std::string_view dot_source, const DotWatch& watch,
    std::span<const std::string> dot_args) {
  FoundProgram dot = find_program("dot");
  if (!dot.path) {
    if (dot.not_executable) {
      return std::unexpected(
          LayoutError::dot_unrunnable(*dot.not_executable, IoError::from_errno(EACCES)));
    }
    return std::unexpected(LayoutError::dot_not_found(std::move(dot.search)));
  }

  ChildControls watched = watch.controls;
  watched.max_out = std::min(watched.max_out, kMaxDotOutput);
  watched.max_err = std::min(watched.max_err, kMaxDotDiagnostics);
  std::vector<std::string> command = {*dot.path, "-Tjson0"};
  command.insert(command.end(), dot_args.begin(), dot_args.end());
  auto run = run_child(command, dot_source, watched);
  if (!run) {
    using Stage = ChildError::Stage;
    switch (run.error().stage) {
      case Stage::Start:
        return std::unexpected(LayoutError::dot_unrunnable(*dot.path, run.error().error));
      case Stage::Run:
        return std::unexpected(LayoutError::io(run.error().error));
      case Stage::Interrupted:
        return std::unexpected(LayoutError::interrupted());
      case Stage::TimedOut:
        return std::unexpected(LayoutError::timed_out(watch.timeout_seconds));
      case Stage::OutputTooLarge:
        return std::unexpected(too_much(watched.max_out, "standard output"));
      case Stage::ErrorOutputTooLarge:
        return std::unexpected(too_much(watched.max_err, "standard error"));
    }
  }
  if (run->signal) {
    return std::unexpected(LayoutError::dot_killed(*run->signal, decode_utf8_lossy(run->err)));
  }
  if (run->exit_code != 0) {
    // Also taken when dot stopped reading early: its diagnostic (a syntax
    // error near the start of a large text, say) says more than the broken
    // pipe.
    return std::unexpected(
        LayoutError::dot_failed(run->exit_code, decode_utf8_lossy(run->err)));
  }
  // A dot that left input unread cannot have laid out the whole graph.
  if (run->input_error) return std::unexpected(LayoutError::io(*run->input_error));
  // Warnings on standard error are dropped when dot succeeds.
  if (const auto bad = validate_utf8(run->out)) {
    return std::unexpected(
        LayoutError::parse(messages::dot_output_not_utf8(bad->describe())));
  }
  return read_json0_documents(run->out);
}

}  // namespace vantri
