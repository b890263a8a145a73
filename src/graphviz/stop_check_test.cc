// The stop check: cheap polls, a deadline, and signals held back by the
// render's window reaching the interrupt hook.
#include "graphviz/stop_check.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdint>

#include "graphviz/signal_window.h"

namespace vantri {
namespace {

using namespace std::chrono_literals;

// Polls until the check says stop, at most `most` times; how many it took.
std::uint64_t polls_until_stop(StopCheck& stop, std::uint64_t most) {
  for (std::uint64_t n = 1; n <= most; ++n) {
    if (stop.poll()) return n;
  }
  return most + 1;
}

TEST(StopCheck, DeadlineHookAndForcedStop) {
  StopCheck never;
  EXPECT_EQ(polls_until_stop(never, 1'000'000), 1'000'001u);
  EXPECT_FALSE(never.stopped());

  // A deadline already past is seen at the first look, and stays seen.
  StopCheck late(nullptr, {}, StopCheck::Deadline{StopCheck::Clock::now() - 1ms, 0.5});
  EXPECT_LE(polls_until_stop(late, 1'000'000), 64u);
  EXPECT_EQ(late.reason(), StopCheck::Reason::TimedOut);
  EXPECT_TRUE(late.poll());
  EXPECT_EQ(late.deadline()->timeout_seconds, 0.5);

  // Without a window the hook is asked at every look; it stops the third
  // time. A deadline far off changes nothing.
  int asked = 0;
  StopCheck hooked(nullptr, [&asked] { return ++asked == 3; },
                   StopCheck::Deadline{StopCheck::Clock::now() + 1h, 3600});
  EXPECT_LE(polls_until_stop(hooked, 100'000'000), 100'000'000u);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(hooked.reason(), StopCheck::Reason::Interrupted);
  EXPECT_TRUE(hooked.poll());
  EXPECT_EQ(asked, 3);

  StopCheck forced(nullptr, [] { return false; }, std::nullopt);
  EXPECT_FALSE(forced.poll());
  forced.stop(StopCheck::Reason::TimedOut);
  EXPECT_TRUE(forced.poll());
  EXPECT_EQ(forced.reason(), StopCheck::Reason::TimedOut);
}

TEST(StopCheck, CheapPollsLookRarely) {
  // Polls that cost next to nothing come millions to a look: a check that
  // looked every 64 polls would ask the hook 150,000 times here.
  int asked = 0;
  StopCheck stop(nullptr, [&asked] { return ++asked < 0; }, std::nullopt);
  EXPECT_EQ(polls_until_stop(stop, 10'000'000), 10'000'001u);
  EXPECT_GT(asked, 0);
  EXPECT_LT(asked, 2000);
}

TEST(StopCheck, AsksTheHookEverySoOftenWithoutASignal) {
  // A signal that another thread took leaves nothing pending here; only
  // asking the hook now and then finds it.
  const SignalWindow window;
  int asked = 0;
  StopCheck stop(&window, [&asked] { return ++asked == 3; }, std::nullopt, 1ms);
  const auto started = StopCheck::Clock::now();
  while (!stop.poll() && StopCheck::Clock::now() - started < 30s) {
  }
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(stop.reason(), StopCheck::Reason::Interrupted);
}

volatile sig_atomic_t handled = 0;

TEST(StopCheck, SignalHeldByTheWindowReachesTheHook) {
  struct sigaction action {};
  action.sa_handler = [](int) { handled = handled + 1; };
  struct sigaction old {};
  ::sigaction(SIGUSR1, &action, &old);
  {
    const SignalWindow window;
    int asked = 0;
    StopCheck stop(&window, [&asked] { return ++asked == 2; }, std::nullopt);
    // No signal: the hook is never asked.
    EXPECT_EQ(polls_until_stop(stop, 1'000'000), 1'000'001u);
    EXPECT_EQ(asked, 0);
    // One that the hook lets pass, then one that stops the work.
    ::raise(SIGUSR1);
    EXPECT_EQ(handled, 0);  // held back by the window until a look
    EXPECT_EQ(polls_until_stop(stop, 100'000'000), 100'000'001u);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(asked, 1);
    ::raise(SIGUSR1);
    EXPECT_LE(polls_until_stop(stop, 100'000'000), 100'000'000u);
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(stop.reason(), StopCheck::Reason::Interrupted);
  }
  ::sigaction(SIGUSR1, &old, nullptr);
}

}  // namespace
}  // namespace vantri
