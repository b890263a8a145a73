// The wording of every fixed message.
#include "messages/messages.h"

#include <charconv>
#include <iterator>

namespace vantri::messages {
namespace {

std::string joined(const std::vector<std::string>& items, bool quoted) {
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += ", ";
    out += quoted ? "\"" + item + "\"" : item;
  }
  return out;
}

// The shortest text that reads back as `seconds`: 5, 0.25, 1e-05.
std::string shortest(double seconds) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, seconds);
  return ec == std::errc() ? std::string(buffer, end) : std::to_string(seconds);
}

// "1 GiB", "64 MiB", "300 KiB" or "12 bytes": a limit as people write it.
std::string describe_bytes(std::uint64_t bytes) {
  constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string cat(std::string_view a, std::string_view b) {
  std::string out;
  out.reserve(a.size() + b.size());
  out += a;
  out += b;
  return out;
}

}  // namespace

std::string invalid_utf8_sequence(std::size_t length, std::size_t index) {
  return "invalid utf-8 sequence of " + std::to_string(length) + " bytes from index " +
         std::to_string(index);
}

std::string incomplete_utf8_sequence(std::size_t index) {
  return "incomplete utf-8 byte sequence from index " + std::to_string(index);
}

std::string source_not_utf8(std::string_view detail) {
  return cat("stream did not contain valid UTF-8: ", detail);
}

std::string unknown_trim_strategy(std::string_view name) {
  return cat("unknown trim strategy: ", name);
}

std::string unknown_trim_strategy_option(std::string_view name) {
  return unknown_trim_strategy(name) + " (" + std::string(kExpectedStrategy) + ")";
}

std::string dot_not_found(const std::vector<std::string>& searched,
                          const std::vector<std::string>& skipped) {
  std::string text = "Graphviz `dot` command not found in PATH. Please install Graphviz.";
  if (!searched.empty()) text += " Searched: " + joined(searched, false) + ".";
  if (!skipped.empty()) {
    text += " Not searched, as they are not absolute: " + joined(skipped, true) + ".";
  }
  return text;
}

std::string dot_unrunnable(std::string_view path, std::string_view error) {
  return "dot could not be run: " + std::string(path) + ": " + std::string(error);
}

std::string dot_exited(std::optional<std::int32_t> code, std::string_view stderr_text) {
  const std::string shown = code ? "Some(" + std::to_string(*code) + ")" : "None";
  return "Graphviz `dot` exited with code " + shown + ": " + std::string(stderr_text);
}

std::string dot_killed(int signal, const char* name, std::string_view stderr_text) {
  std::string text = "dot was killed by signal " + std::to_string(signal) + " (" +
                     (name != nullptr ? name : "unknown signal") + ")";
  return stderr_text.empty() ? text : text + ": " + std::string(stderr_text);
}

std::string dot_timed_out(double seconds) {
  return "dot took longer than " + shortest(seconds) + " s";
}

std::string drawing_timed_out(double seconds) {
  return "dot and the drawing took longer than " + shortest(seconds) + " s";
}

std::string dot_wrote_too_much(std::uint64_t limit, std::string_view stream) {
  return "dot wrote more than " + describe_bytes(limit) + " to " + std::string(stream) +
         ", the most vantri reads";
}

std::string dot_output_not_utf8(std::string_view detail) {
  return cat("dot output is not valid UTF-8: ", detail);
}

std::string os_error(std::string_view description, int number) {
  return std::string(description) + " (os error " + std::to_string(number) + ")";
}

std::string json0_unreadable(std::string_view detail) {
  return cat("Failed to parse Graphviz json0 output: ", detail);
}

std::string member_not_array(std::string_view member) {
  return "missing '" + std::string(member) + "' array";
}

std::string node_named(std::uint64_t gvid) { return "node " + std::to_string(gvid); }

std::string edge_named(std::uint64_t gvid) { return "edge " + std::to_string(gvid); }

std::string member_missing(std::string_view owner, std::string_view member) {
  return std::string(owner) + " missing " + quoted(member);
}

std::string size_invalid(std::string_view owner, std::string_view member,
                         std::string_view detail) {
  return std::string(owner) + " invalid " + std::string(member) + ": " + std::string(detail);
}

std::string end_not_found(std::string_view edge, std::string_view end, std::uint64_t gvid) {
  return std::string(edge) + ": " + std::string(end) + " gvid " + std::to_string(gvid) +
         " not found in nodes";
}

std::string bb_malformed(std::string_view text) {
  return "invalid bb format: " + quoted(text) + " (expected 4 comma-separated values)";
}

std::string bb_component_invalid(std::size_t index, std::string_view piece,
                                 std::string_view detail) {
  return "invalid bb component " + std::to_string(index) + ": " + quoted(piece) + ": " +
         std::string(detail);
}

std::string point_malformed(std::string_view text) {
  return "invalid pos format: " + quoted(text) + " (expected 'x,y')";
}

std::string coordinate_invalid(std::string_view axis, std::string_view piece,
                               std::string_view detail) {
  return "invalid pos " + std::string(axis) + ": " + quoted(piece) + ": " + std::string(detail);
}

std::string drawing_too_large(std::uint64_t width, std::uint64_t height, std::string_view cells,
                              std::uint64_t limit, std::optional<std::uint64_t> narrowest) {
  std::string text = "Drawing too large: " + std::to_string(width) + " columns × " +
                     std::to_string(height) + " rows = " + std::string(cells) +
                     " character cells, more than the limit of " + std::to_string(limit) +
                     "; ";
  if (!narrowest) return text + "it is too tall to draw at any width.";
  return text + "a width limit of " + std::to_string(*narrowest) +
         " columns or less draws it (max_width, --width on the command line).";
}

std::string drawing_cut(std::uint64_t columns, std::size_t nodes_left_out, std::size_t nodes,
                        std::string_view width_setting) {
  std::string text = "drawing cut at " + std::to_string(columns) + " columns: ";
  if (nodes_left_out == 0) {
    text += "edges right of it do not fit";
  } else {
    text += std::to_string(nodes_left_out) + " of " + std::to_string(nodes) +
            (nodes == 1 ? " node does" : " nodes do") + " not fit";
  }
  return text + "; a wider " + std::string(width_setting) + " shows them";
}

std::string edges_not_drawn(std::size_t not_drawn, std::size_t edges) {
  return std::to_string(not_drawn) + " of " + std::to_string(edges) +
         (edges == 1 ? " edge" : " edges") + " could not be drawn";
}

std::string input_too_large(std::uint64_t limit) {
  return "input larger than " + describe_bytes(limit) + ", the most vantri reads";
}

std::string invalid_value(std::string_view option, std::string_view value,
                          std::string_view expected) {
  return "invalid value '" + std::string(value) + "' for " + std::string(option) + ": " +
         std::string(expected);
}

std::string option_needs_value(std::string_view option) {
  return "option " + std::string(option) + " needs a value";
}

std::string unknown_option(std::string_view argument) {
  return cat("unknown option: ", argument);
}

std::string option_takes_no_value(std::string_view option) {
  return "option " + std::string(option) + " takes no value";
}

std::string about_input(std::string_view name, std::string_view message) {
  return std::string(name) + ": " + std::string(message);
}

std::string about_graph(std::size_t number, std::string_view message) {
  return "graph " + std::to_string(number) + ": " + std::string(message);
}

std::string error_line(std::string_view message) {
  return "vantri: error: " + std::string(message) + "\n";
}

std::string notice_line(std::string_view message) {
  return "vantri: " + std::string(message) + "\n";
}

std::string progress(std::int64_t seconds) {
  return "vantri: dot is laying out the graph\u2026 " + std::to_string(seconds) + " s";
}

}  // namespace vantri::messages
