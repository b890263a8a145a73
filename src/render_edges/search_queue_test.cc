#include "render_edges/search_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>

namespace vantri {
namespace {

// Against a sorted multiset: each pop takes an entry of the lowest f,
// through estimates that climb as a search's do, dip a little, leap far
// above the bucket range and fall far below it, and across searches.
TEST(SearchQueue, AlwaysGivesACheapestEntry) {
  std::mt19937 random(7);
  SearchQueue queue;
  for (int search = 0; search < 20; ++search) {
    queue.clear();
    std::multiset<std::uint32_t> waiting;
    std::uint32_t level = 1000 + static_cast<std::uint32_t>(random() % 100000);
    for (int step = 0; step < 3000; ++step) {
      if (waiting.empty() || random() % 3 != 0) {
        std::uint32_t f = level + random() % 300;
        switch (random() % 40) {
          case 0: f += 5000 + random() % 20000; break;  // beyond the range
          case 1: f = level - std::min<std::uint32_t>(level, 6000 + random() % 900); break;
          case 2: f = level - std::min<std::uint32_t>(level, random() % 40); break;
          default: break;
        }
        queue.push({f, 0, static_cast<std::uint32_t>(step)});
        waiting.insert(f);
      } else {
        ASSERT_FALSE(queue.empty());
        const SearchQueue::Entry e = queue.pop();
        ASSERT_EQ(e.f, *waiting.begin()) << "search " << search << " step " << step;
        waiting.erase(waiting.begin());
        level = std::max(level, e.f);
      }
      ASSERT_EQ(queue.size(), waiting.size());
    }
    // Searches mostly end with states still waiting; some drain it.
    if (search % 4 == 0) {
      while (!waiting.empty()) {
        ASSERT_EQ(queue.pop().f, *waiting.begin());
        waiting.erase(waiting.begin());
      }
      EXPECT_TRUE(queue.empty());
    }
  }
}

}  // namespace
}  // namespace vantri
