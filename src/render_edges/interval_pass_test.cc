// IntervalPass checked against the plain list scan it stands in for, on
// random data.
#include "render_edges/interval_pass.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace vantri {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

struct Interval {
  std::uint64_t lo, hi;
};

std::uint64_t plain_pass(const std::vector<Interval>& list, std::uint64_t m) {
  for (const Interval& i : list) {
    if (i.lo <= m && m <= i.hi) m = i.hi == kMax ? kMax : i.hi + 1;
  }
  return m;
}

TEST(IntervalPass, AgreesWithThePlainScan) {
  std::mt19937_64 rng(11);
  for (int round = 0; round < 40; ++round) {
    IntervalPass fast;
    std::vector<Interval> list;
    const std::uint64_t domain = 20 + rng() % 400;
    const std::size_t target = rng() % 600;
    while (list.size() < target) {
      std::uint64_t lo = rng() % domain;
      std::uint64_t hi = lo + rng() % 8;
      if (rng() % 20 == 0) hi = lo - 1 - rng() % 3;  // empty
      if (rng() % 50 == 0) hi = kMax;
      fast.append(lo, hi);
      list.push_back({lo, hi});
      ASSERT_EQ(fast.size(), list.size());
      for (int q = 0; q < 3; ++q) {
        const std::uint64_t m = rng() % (domain + 10);
        ASSERT_EQ(fast.push_past(m), plain_pass(list, m)) << "m " << m << " n " << list.size();
        const std::size_t from = rng() % (list.size() + 1);
        std::optional<std::size_t> expected;
        for (std::size_t j = from; j < list.size(); ++j) {
          if (list[j].lo <= m && m <= list[j].hi) {
            expected = j;
            break;
          }
        }
        ASSERT_EQ(fast.first_containing(from, m), expected);
      }
    }
  }
}

TEST(IntervalPass, VisitsEachIntervalOnceInListOrder) {
  IntervalPass pass;
  pass.append(16, 19);
  pass.append(12, 15);
  EXPECT_EQ(pass.push_past(14), 16);  // not pushed again by the earlier interval
  EXPECT_EQ(pass.push_past(17), 20);
  EXPECT_EQ(pass.push_past(11), 11);
  IntervalPass chained;
  chained.append(5, 9);
  chained.append(10, 12);
  EXPECT_EQ(chained.push_past(7), 13);
}

}  // namespace
}  // namespace vantri
