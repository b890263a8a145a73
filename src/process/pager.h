// Showing the command's output through a pager, the way git does.
//
// A drawing too wide or too tall for the terminal goes through a pager
// that scrolls sideways: $VANTRI_PAGER, else $PAGER (each run by the shell,
// as git runs them, with LESS=FRSX and LV=-c unless the user set those),
// else `less` with raw colours, chopped long lines, quitting when it all
// fits on one screen, and no screen clearing. While the pager runs, the
// terminal's interrupt and quit keys are the pager's: the command waits
// for it rather than dying under it.
#ifndef VANTRI_PROCESS_PAGER_H_
#define VANTRI_PROCESS_PAGER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantri {

/// How to start a pager.
struct PagerCommand {
  /// The program and its arguments; the first is looked for on PATH
  /// unless it holds a slash.
  std::vector<std::string> argv;
  /// Variables to set in the pager's environment where they are unset.
  std::vector<std::pair<std::string, std::string>> defaults;
  friend bool operator==(const PagerCommand&, const PagerCommand&) = default;
};

/// The pager the environment asks for, given the values of VANTRI_PAGER
/// and PAGER (null when unset): the first that is set and not empty, run
/// as `/bin/sh -c VALUE`, or `less -R -S -F -X` when neither is. Absent
/// when the one chosen is "cat", which pages nothing.
std::optional<PagerCommand> pager_command(const char* vantri_pager, const char* pager);

/// What became of a paging.
enum class Paged {
  /// The pager ran and is done.
  Shown,
  /// The pager could not be started (not found, not executable, or the
  /// shell could not run it): the text is still to be shown.
  NotStarted,
};

/// Runs `command` with `text` on its standard input and this process's
/// standard output and error, and waits for it to end. A pager that quits
/// before reading everything is no failure. The interrupt and quit signals
/// are ignored here meanwhile (the pager gets their default actions).
Paged page(const PagerCommand& command, std::string_view text);

}  // namespace vantri

#endif  // VANTRI_PROCESS_PAGER_H_
