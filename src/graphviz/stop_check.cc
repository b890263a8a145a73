// Looking at the clock and at pending signals every so many polls.
#include "graphviz/stop_check.h"

#include <algorithm>
#include <utility>

#include "graphviz/signal_window.h"

namespace vantri {
namespace {

// Looks closer together than this double the polls between them; looks
// further apart halve them.
constexpr auto kTooSoon = std::chrono::microseconds(500);
constexpr auto kTooLate = std::chrono::milliseconds(2);

}  // namespace

StopCheck::StopCheck(const SignalWindow* window, std::function<bool()> interrupted,
                     std::optional<Deadline> deadline, Clock::duration ask_every)
    : ask_every_(ask_every),
      window_(window),
      interrupted_(std::move(interrupted)),
      deadline_(deadline) {
  if (interrupted_ || deadline_) {
    countdown_ = interval_;
    last_look_ = Clock::now();
    last_ask_ = last_look_;
  }
}

bool StopCheck::look() {
  if (reason_ != Reason::None) return true;
  if (!interrupted_ && !deadline_) {
    countdown_ = kNever;
    return false;
  }
  const Clock::time_point now = Clock::now();
  const auto since = now - last_look_;
  last_look_ = now;
  if (since < kTooSoon) {
    interval_ = std::min(interval_ * 2, kLongestInterval);
  } else if (since > kTooLate) {
    interval_ = std::max<std::uint32_t>(interval_ / 2, 1);
  }
  countdown_ = interval_;

  if (interrupted_) {
    bool ask = window_ == nullptr || window_->deliver_pending();
    if (ask_every_ > Clock::duration::zero() && now - last_ask_ >= ask_every_) ask = true;
    if (ask) {
      last_ask_ = now;
      if (interrupted_()) reason_ = Reason::Interrupted;
    }
  }
  if (reason_ == Reason::None && deadline_ && now >= deadline_->at) {
    reason_ = Reason::TimedOut;
  }
  if (reason_ == Reason::None) return false;
  countdown_ = 0;
  return true;
}

}  // namespace vantri
