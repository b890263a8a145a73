// Starting the pager with a pipe on its standard input, feeding it, and
// waiting for it.
#include "process/pager.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "graphviz/find_program.h"
#include "process/terminal.h"

extern char** environ;

namespace vantri {
namespace {

// What the shell says for a command it cannot find or cannot run.
constexpr int kShellNotFound = 127;
constexpr int kShellNotExecutable = 126;

// The interrupt and quit keys belong to the pager while it runs: ignored
// here, and put back as they were.
class IgnoreTerminalSignals {
 public:
  IgnoreTerminalSignals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &saved_int_);
    ::sigaction(SIGQUIT, &ignore, &saved_quit_);
  }
  ~IgnoreTerminalSignals() {
    ::sigaction(SIGINT, &saved_int_, nullptr);
    ::sigaction(SIGQUIT, &saved_quit_, nullptr);
  }
  IgnoreTerminalSignals(const IgnoreTerminalSignals&) = delete;
  IgnoreTerminalSignals& operator=(const IgnoreTerminalSignals&) = delete;

 private:
  struct sigaction saved_int_ {};
  struct sigaction saved_quit_ {};
};

// This process's environment with `defaults` added where unset.
std::vector<std::string> environment_with(
    const std::vector<std::pair<std::string, std::string>>& defaults) {
  std::vector<std::string> out;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    out.emplace_back(*entry);
  }
  for (const auto& [name, value] : defaults) {
    if (std::getenv(name.c_str()) == nullptr) out.push_back(name + "=" + value);
  }
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::optional<PagerCommand> pager_command(const char* vantri_pager, const char* pager) {
  const char* chosen = nullptr;
  for (const char* value : {vantri_pager, pager}) {
    if (value != nullptr && value[0] != '\0') {
      chosen = value;
      break;
    }
  }
  if (chosen == nullptr) return PagerCommand{{"less", "-R", "-S", "-F", "-X"}, {}};
  if (std::string_view(chosen) == "cat") return std::nullopt;
  return PagerCommand{{"/bin/sh", "-c", chosen}, {{"LESS", "FRSX"}, {"LV", "-c"}}};
}

Paged page(const PagerCommand& command, std::string_view text) {
  if (command.argv.empty()) return Paged::NotStarted;
  std::vector<std::string> argv = command.argv;
  if (argv[0].find('/') == std::string::npos) {
    // Only the absolute directories of PATH, as for dot.
    const FoundProgram found = find_program(argv[0]);
    if (!found.path) return Paged::NotStarted;
    argv[0] = *found.path;
  }
  std::vector<std::string> env = environment_with(command.defaults);
  std::vector<char*> argv_pointers = pointers(argv);
  std::vector<char*> env_pointers = pointers(env);

  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return Paged::NotStarted;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], STDIN_FILENO);
  // The pager gets the default action of every signal this process may
  // have set aside, and blocks none.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal_number : {SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGHUP, SIGTSTP, SIGTTOU, SIGTTIN}) {
    sigaddset(&defaults, signal_number);
  }
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  const IgnoreTerminalSignals ignore;
  pid_t pid = 0;
  const int started = ::posix_spawn(&pid, argv[0].c_str(), &actions, &attributes,
                                    argv_pointers.data(), env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pipe_fds[0]);
  if (started != 0) {
    ::close(pipe_fds[1]);
    return Paged::NotStarted;
  }
  // A pager that quits early leaves the rest unread: a broken pipe here,
  // which is no failure. (SIGPIPE must not end this process meanwhile.)
  struct sigaction ignore_pipe {};
  struct sigaction saved_pipe {};
  ignore_pipe.sa_handler = SIG_IGN;
  sigemptyset(&ignore_pipe.sa_mask);
  ::sigaction(SIGPIPE, &ignore_pipe, &saved_pipe);
  (void)write_fully(pipe_fds[1], text);
  ::close(pipe_fds[1]);
  ::sigaction(SIGPIPE, &saved_pipe, nullptr);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && argv[0] == "/bin/sh" &&
      (WEXITSTATUS(status) == kShellNotFound || WEXITSTATUS(status) == kShellNotExecutable)) {
    return Paged::NotStarted;
  }
  return Paged::Shown;
}

}  // namespace vantri
