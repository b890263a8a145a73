// Finding a program on PATH without ever running one from the working
// directory.
//
// The shell's rule treats an empty PATH entry (as in "PATH=:/usr/bin" or a
// trailing colon) and any relative entry as relative to the working
// directory, so a `dot` dropped into whatever directory the user happens to
// be in would run. Only absolute directories are searched here.
#ifndef VANTRI_GRAPHVIZ_FIND_PROGRAM_H_
#define VANTRI_GRAPHVIZ_FIND_PROGRAM_H_

#include <optional>
#include <string>
#include <string_view>

#include "graphviz/layout_error.h"

namespace vantri {

struct FoundProgram {
  /// The first regular, executable file named so in a searched directory.
  std::optional<std::string> path;
  /// When there is none: the first file of that name that exists but may
  /// not be executed, which is the one to blame.
  std::optional<std::string> not_executable;
  PathSearch search;
};

/// Looks for `name` in the absolute entries of `path_variable` (the value of
/// PATH; when PATH is unset, the system's default search path).
FoundProgram find_program(std::string_view name,
                          std::optional<std::string_view> path_variable);

/// `find_program` with the process's PATH.
FoundProgram find_program(std::string_view name);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_FIND_PROGRAM_H_
