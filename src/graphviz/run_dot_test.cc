// Running dot: fake `dot` scripts for each outcome and the installed one.
#include "graphviz/run_dot.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "graphviz/child_process.h"
#include "graphviz/signal_window.h"

namespace vantri {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kJson =
    R"({"bb":"0,0,54,36","objects":[{"_gvid":0,"name":"a","label":"\\N",)"
    R"("pos":"27,18","width":"0.75","height":"0.5"}]})";

std::size_t open_descriptor_count() {
  return static_cast<std::size_t>(std::distance(
      fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

bool has_children() {
  errno = 0;
  return !(::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);
}

bool sigpipe_pending() {
  sigset_t pending;
  ::sigpending(&pending);
  return ::sigismember(&pending, SIGPIPE) == 1;
}

// Every run must leave neither a descriptor nor a child behind.
std::expected<LayoutGraph, LayoutError> checked_layout(std::string_view source,
                                                       const ChildControls& controls = {},
                                                       double timeout_seconds = 0,
                                                       std::span<const std::string> dot_args = {}) {
  const std::size_t before = open_descriptor_count();
  auto result = watched_layout_with_dot(source, {controls, timeout_seconds}, dot_args);
  EXPECT_EQ(open_descriptor_count(), before);
  EXPECT_FALSE(has_children());
  return result;
}

std::string display_of(const std::expected<LayoutGraph, LayoutError>& r) {
  return r ? "laid out" : r.error().display();
}

// Puts a shell script named `dot` in a fresh directory first on PATH.
class DotFake : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vantri-dot-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    if (const char* path = std::getenv("PATH")) old_path_ = path;
    ::alarm(60);  // a deadlock ends the test process instead of hanging it
  }
  void TearDown() override {
    ::alarm(0);
    if (old_path_) {
      ::setenv("PATH", old_path_->c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
    fs::remove_all(dir_);
  }

  void install(const std::string& body, fs::perms mode = fs::perms(0755)) {
    const fs::path script = dir_ / "dot";
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, mode);
    ::setenv("PATH", (dir_.string() + ":" + old_path_.value_or("/usr/bin:/bin")).c_str(), 1);
  }

  std::string file(const char* name) const { return (dir_ / name).string(); }

  std::string read_file(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path dir_;
  std::optional<std::string> old_path_;
};

TEST_F(DotFake, NotFoundListsTheSearchAndNeverLooksInTheWorkingDirectory) {
  install("exit 0");
  const fs::path old_cwd = fs::current_path();
  fs::current_path(dir_);  // ./dot exists, and "" or "." would find it
  const std::string empty_dir = file("empty");
  fs::create_directory(empty_dir);
  ::setenv("PATH", (":.:" + empty_dir + ":bin").c_str(), 1);
  auto result = checked_layout("digraph {}");
  fs::current_path(old_cwd);
  EXPECT_EQ(display_of(result),
            "Graphviz `dot` command not found in PATH. Please install Graphviz. "
            "Searched: " + empty_dir + ". Not searched, as they are not absolute: "
            "\"\", \".\", \"bin\".");
}

TEST_F(DotFake, NotExecutableAndUnstartableNameThePath) {
  install("exit 0", fs::perms(0644));
  ::setenv("PATH", dir_.c_str(), 1);
  auto result = checked_layout("digraph {}");
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind(), LayoutError::Kind::Io);
  EXPECT_EQ(result.error().display(),
            "dot could not be run: " + file("dot") + ": Permission denied (os error 13)");
  // Executable, but its interpreter is missing: the start fails.
  std::ofstream(dir_ / "dot") << "#!/no/such/interpreter\n";
  fs::permissions(dir_ / "dot", fs::perms(0755));
  EXPECT_EQ(display_of(checked_layout("digraph {}")),
            "dot could not be run: " + file("dot") + ": No such file or directory (os error 2)");
  // A program that may not be run is passed over for a later one.
  fs::permissions(dir_ / "dot", fs::perms(0644));
  const fs::path later = dir_ / "later";
  fs::create_directory(later);
  std::ofstream(later / "dot") << "#!/bin/sh\ncat >/dev/null; printf '%s' '" << kJson << "'\n";
  fs::permissions(later / "dot", fs::perms(0755));
  ::setenv("PATH", (dir_.string() + ":" + later.string() + ":/usr/bin:/bin").c_str(), 1);
  EXPECT_EQ(display_of(checked_layout("digraph {}")), "laid out");
}

TEST_F(DotFake, FailureCodesAndStandardError) {
  install("cat >/dev/null; printf 'Error: syntax error near \\377x\\n' >&2; exit 1");
  EXPECT_EQ(display_of(checked_layout("digraph {")),
            "Graphviz `dot` exited with code Some(1): Error: syntax error near "
            "\xEF\xBF\xBDx\n");
  install("cat >/dev/null; exit 3");
  EXPECT_EQ(display_of(checked_layout("x")), "Graphviz `dot` exited with code Some(3): ");
  install("cat >/dev/null; echo dying >&2; kill -9 $$");
  auto killed = checked_layout("x");
  ASSERT_FALSE(killed.has_value());
  EXPECT_FALSE(killed.error().code().has_value());
  EXPECT_EQ(killed.error().signal(), SIGKILL);
  EXPECT_EQ(killed.error().display(), "dot was killed by signal 9 (Killed): dying\n");
  install("cat >/dev/null; kill -SEGV $$");
  EXPECT_EQ(display_of(checked_layout("x")),
            "dot was killed by signal 11 (Segmentation fault)");
}

TEST_F(DotFake, OutputMustBeUtf8) {
  install(R"(cat >/dev/null; printf '{"bb":"\342\202"}')");
  EXPECT_EQ(display_of(checked_layout("x")),
            "Failed to parse Graphviz json0 output: dot output is not valid "
            "UTF-8: invalid utf-8 sequence of 2 bytes from index 7");
  install(R"(cat >/dev/null; printf '{"bb":"\342\202')");
  EXPECT_EQ(display_of(checked_layout("x")),
            "Failed to parse Graphviz json0 output: dot output is not valid "
            "UTF-8: incomplete utf-8 byte sequence from index 7");
}

TEST_F(DotFake, WarningsAreDroppedAndInputArrivesUnchanged) {
  install("[ \"$#\" = 1 ] && [ \"$1\" = -Tjson0 ] || exit 9\n"
          "cat > '" + file("seen") + "'\necho run >> '" + file("runs") + "'\n"
          "echo 'Warning: something odd' >&2\nprintf '%s' '" + kJson + "'");
  const std::string source("digraph { a }\n\xC3\xA9\0end", 20);
  auto graph = checked_layout(source);
  ASSERT_TRUE(graph.has_value()) << graph.error().display();
  ASSERT_EQ(graph->nodes.size(), 1u);
  EXPECT_EQ(graph->nodes[0].label, "a");
  EXPECT_EQ(read_file("seen"), source);
  // Empty input: stdin is closed at once; no output means no graph.
  install("cat > '" + file("seen") + "'\necho run >> '" + file("runs") + "'");
  EXPECT_EQ(display_of(checked_layout("")),
            "the DOT text holds no graph (it is empty, or only blanks and comments)");
  EXPECT_EQ(read_file("seen"), "");
  EXPECT_EQ(read_file("runs"), "run\nrun\n");  // one child per call
}

TEST_F(DotFake, ChildFillingStandardErrorBeforeReadingCannotDeadlock) {
  install("head -c 1048576 /dev/zero | tr '\\0' w >&2\n"
          "head -c 1048576 /dev/zero\n"  // stdout too, before any input is read
          "cat >/dev/null\nexit 1");
  auto result = checked_layout(std::string(std::size_t{4} << 20, 'x'));
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().code(), 1);
  EXPECT_EQ(result.error().detail(), std::string(std::size_t{1} << 20, 'w'));
}

TEST_F(DotFake, ChildExitingWithoutReadingGivesBrokenPipe) {
  install("exit 0");
  const std::string big(std::size_t{8} << 20, 'x');
  for (auto disposition : {SIG_DFL, SIG_IGN}) {  // Python hosts ignore SIGPIPE
    const auto old = ::signal(SIGPIPE, disposition);
    auto result = checked_layout(big);
    ::signal(SIGPIPE, old);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().kind(), LayoutError::Kind::Io);
    EXPECT_EQ(result.error().display(), "Broken pipe (os error 32)");
    EXPECT_FALSE(sigpipe_pending());
    sigset_t mask;
    ::pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    EXPECT_FALSE(::sigismember(&mask, SIGPIPE));  // the mask is restored
  }
}

TEST_F(DotFake, ChildGivingUpOnItsInputReportsItsOwnDiagnostic) {
  install("echo 'Error: syntax error in line 1' >&2\nexit 1");
  auto result = checked_layout(std::string(std::size_t{8} << 20, 'x'));
  EXPECT_EQ(display_of(result),
            "Graphviz `dot` exited with code Some(1): Error: syntax error in line 1\n");
}

TEST_F(DotFake, SigpipePendingBeforehandIsLeftPending) {
  install("exit 0");
  sigset_t pipe_only;
  sigset_t old_mask;
  ::sigemptyset(&pipe_only);
  ::sigaddset(&pipe_only, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipe_only, &old_mask);
  ::raise(SIGPIPE);
  auto result = checked_layout(std::string(std::size_t{8} << 20, 'x'));
  EXPECT_EQ(display_of(result), "Broken pipe (os error 32)");
  EXPECT_TRUE(sigpipe_pending());
  const timespec no_wait{};
  EXPECT_EQ(::sigtimedwait(&pipe_only, nullptr, &no_wait), SIGPIPE);
  ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
}

TEST_F(DotFake, ChildStartsWithDefaultSigpipeAndEmptyMask) {
  // Shell built-ins only, so /proc/self is the shell started as `dot`. The
  // input is read first: a child that exits before the parent has written
  // it makes the write fail with a broken pipe instead.
  install("while read -r line; do :; done\n"
          "while read -r line; do case $line in Sig[IB]*) echo \"$line\" >&2;; "
          "esac; done < /proc/self/status\nexit 3");
  sigset_t usr1;
  sigset_t old_mask;
  ::sigemptyset(&usr1);
  ::sigaddset(&usr1, SIGUSR1);
  ::pthread_sigmask(SIG_BLOCK, &usr1, &old_mask);
  const auto old = ::signal(SIGPIPE, SIG_IGN);
  auto result = checked_layout("x");
  ::signal(SIGPIPE, old);
  ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  ASSERT_FALSE(result.has_value());
  const std::string& text = result.error().detail();
  const auto field = [&text](const char* name) {
    const std::size_t at = text.find(name);
    return at == text.npos ? ~0ull : std::stoull(text.substr(at + 7), nullptr, 16);
  };
  EXPECT_EQ(field("SigBlk:"), 0u) << text;
  EXPECT_EQ(field("SigIgn:") & (1ull << (SIGPIPE - 1)), 0u) << text;
}

// Runs cut short by a deadline, an interrupt or too much output: dot is
// killed and reaped (checked_layout checks), whatever it does with SIGTERM.
TEST_F(DotFake, DeadlineKillsADotThatSleepsOrIgnoresTerm) {
  for (const char* body : {"exec sleep 100", "trap '' TERM INT HUP; exec sleep 100"}) {
    install(body);
    ChildControls controls;
    controls.deadline = ChildControls::Clock::now() + 200ms;
    auto result = checked_layout("digraph {}", controls, 0.2);
    EXPECT_EQ(display_of(result), "dot took longer than 0.2 s") << body;
  }
}

TEST_F(DotFake, OutputBeyondTheLimitKillsDot) {
  ChildControls controls;
  controls.max_out = std::size_t{1} << 20;
  controls.max_err = std::size_t{64} << 10;
  install("exec cat /dev/zero");
  EXPECT_EQ(display_of(checked_layout("x", controls)),
            "dot wrote more than 1 MiB to standard output, the most vantri reads");
  install("exec cat /dev/zero >&2");
  EXPECT_EQ(display_of(checked_layout("x", controls)),
            "dot wrote more than 64 KiB to standard error, the most vantri reads");
}

// A SIGUSR1 handler that only counts, for the interrupt tests.
class Interrupts : public DotFake {
 protected:
  void SetUp() override {
    DotFake::SetUp();
    handled = 0;
    struct sigaction action {};
    action.sa_handler = [](int) { handled = handled + 1; };
    ::sigaction(SIGUSR1, &action, &old_action_);
    install("exec sleep 100");
    controls_.deadline = ChildControls::Clock::now() + 20s;  // a lost signal fails, not hangs
    controls_.interrupted = [this] { return ++asked_ >= stop_at_; };
  }
  void TearDown() override {
    ::sigaction(SIGUSR1, &old_action_, nullptr);
    DotFake::TearDown();
  }

  static inline volatile sig_atomic_t handled = 0;
  ChildControls controls_;
  int asked_ = 0;
  int stop_at_ = 1;

 private:
  struct sigaction old_action_ {};
};

TEST_F(Interrupts, SignalFromAnotherThreadEndsTheWait) {
  const SignalWindow window;  // opened before the signal can be sent
  controls_.window = &window;
  std::thread sender([waiter = ::pthread_self()] {
    std::this_thread::sleep_for(50ms);
    ::pthread_kill(waiter, SIGUSR1);
  });
  auto result = checked_layout("digraph {}", controls_);
  sender.join();
  EXPECT_EQ(display_of(result), "interrupted");
  EXPECT_EQ(asked_, 1);
  EXPECT_EQ(handled, 1);
}

TEST_F(Interrupts, SignalPendingBeforeTheRunIsNotLost) {
  const SignalWindow window;
  controls_.window = &window;
  ::raise(SIGUSR1);  // after the caller's last check, before the wait
  EXPECT_EQ(handled, 0);
  EXPECT_EQ(display_of(checked_layout("digraph {}", controls_)), "interrupted");
  EXPECT_EQ(handled, 1);
}

TEST_F(Interrupts, SignalBetweenWaitsIsNotLostAndTheHookMayGoOn) {
  // Raised on the waiting thread between two waits; the first one is let
  // pass by the hook, the second ends the run.
  controls_.tick_every = 20ms;
  controls_.on_tick = [] { ::raise(SIGUSR1); };
  stop_at_ = 2;
  EXPECT_EQ(display_of(checked_layout("digraph {}", controls_)), "interrupted");
  EXPECT_EQ(asked_, 2);
  EXPECT_EQ(handled, 2);
  sigset_t mask;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  EXPECT_FALSE(::sigismember(&mask, SIGUSR1));  // the window has closed
}

TEST_F(DotFake, TicksWhileDotWorks) {
  install(std::string("sleep 0.5; printf '%s' '") + kJson + "'");
  int ticks = 0;
  ChildControls controls;
  controls.tick_every = 100ms;
  controls.on_tick = [&ticks] { ++ticks; };
  auto result = checked_layout("x", controls);
  EXPECT_TRUE(result.has_value()) << display_of(result);
  EXPECT_GE(ticks, 2);
}

TEST(DotChild, RoundTripsLargeInputThroughCat) {
  std::string input(std::size_t{5} << 20, '\0');
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<char>(i * 131 % 251);
  auto run = run_child({"/bin/cat"}, input);
  ASSERT_TRUE(run.has_value()) << run.error().error.display();
  EXPECT_EQ(run->exit_code, 0);
  EXPECT_TRUE(run->err.empty());
  EXPECT_TRUE(run->out == input);
}

// The installed Graphviz.
class LayoutRealDot : public ::testing::Test {
 protected:
  LayoutGraph layout(std::string_view source) {
    auto graph = checked_layout(source);
    if (!graph && graph.error().kind() == LayoutError::Kind::DotNotFound) {
      ADD_FAILURE() << "dot is not installed";
      return {};
    }
    EXPECT_TRUE(graph.has_value()) << graph.error().display();
    return graph.value_or(LayoutGraph{});
  }
};

TEST_F(LayoutRealDot, TwoNodesOneEdge) {
  const LayoutGraph g = layout("digraph { a -> b }");
  ASSERT_EQ(g.nodes.size(), 2u);
  EXPECT_EQ(g.nodes[0].label, "a");
  EXPECT_EQ(g.nodes[1].label, "b");
  EXPECT_EQ(g.nodes[0].width, 54.0);
  ASSERT_EQ(g.edges.size(), 1u);
  EXPECT_EQ(g.edges[0].tail, 0u);
  EXPECT_EQ(g.edges[0].head, 1u);
  EXPECT_TRUE(g.edges[0].end_point.has_value());
  EXPECT_FALSE(g.edges[0].points.empty());
  EXPECT_GT(g.bb.y1, g.bb.y0);
}

TEST_F(LayoutRealDot, SubgraphsClustersAndEmptyGraphs) {
  LayoutGraph g = layout("digraph { subgraph s {} a [label=\"x\\ly\"] }");
  ASSERT_EQ(g.nodes.size(), 1u);
  EXPECT_EQ(g.nodes[0].label, "x\x0e\ny");  // a line set flush left
  EXPECT_TRUE(g.clusters.empty() && g.edges.empty());
  g = layout("digraph { subgraph cluster0 { label=\"C\"; x } y -> x }");
  ASSERT_EQ(g.clusters.size(), 1u);
  EXPECT_EQ(g.clusters[0].label, "C");
  EXPECT_EQ(g.nodes.size(), 2u);
  EXPECT_EQ(g.edges.size(), 1u);
  g = layout("digraph {}");
  EXPECT_TRUE(g.nodes.empty() && g.edges.empty() && g.clusters.empty());
}

TEST_F(LayoutRealDot, ExtraArgumentsOverrideTheGraphsOwnAttributes) {
  const std::string source = "digraph { nodesep=2; a; b; c }";
  const LayoutGraph wide = layout(source);
  const std::vector<std::string> tight = {"-Gnodesep=0.05"};
  auto narrow = checked_layout(source, {}, 0, tight);
  ASSERT_TRUE(narrow.has_value()) << narrow.error().display();
  // Three default nodes of 54 points: two gaps of 144 points, then 3.6.
  EXPECT_NEAR(wide.bb.x1 - wide.bb.x0, 3 * 54 + 2 * 144, 1.0);
  EXPECT_NEAR(narrow->bb.x1 - narrow->bb.x0, 3 * 54 + 2 * 3.6, 12.0);
}

TEST_F(LayoutRealDot, SyntaxErrorIsDotFailed) {
  auto result = checked_layout("digraph {");
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().kind(), LayoutError::Kind::DotFailed);
  EXPECT_EQ(result.error().code(), 1);
  EXPECT_TRUE(result.error().display().starts_with(
      "Graphviz `dot` exited with code Some(1): Error:"))
      << result.error().display();

  // dot gives up at an early syntax error without reading the rest of a
  // large text; its message is still what the user sees.
  std::string large = "digraph { a -> -> b;\n";
  while (large.size() < (std::size_t{4} << 20)) large += "x -> y;\n";
  const std::string message = display_of(checked_layout(large + "}"));
  EXPECT_TRUE(message.starts_with("Graphviz `dot` exited with code Some(1): ")) << message;
  EXPECT_NE(message.find("syntax error"), std::string::npos) << message;
}

}  // namespace
}  // namespace vantri
