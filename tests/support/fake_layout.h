// Stand-ins for `dot` in tests of the render pipeline: a layout function
// that must not be called, and one that counts its calls and serves a
// prepared layout.
#ifndef VANTRI_TESTS_SUPPORT_FAKE_LAYOUT_H_
#define VANTRI_TESTS_SUPPORT_FAKE_LAYOUT_H_

#include <gtest/gtest.h>

#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"
#include "graphviz/run_dot.h"

namespace vantri::testing {

/// A second layout that the test does not expect: calling it fails the test.
inline LayoutFunction no_relayout() {
  return [](std::string_view,
            std::span<const std::string>) -> std::expected<LayoutGraph, LayoutError> {
    ADD_FAILURE() << "unexpected second layout";
    return std::unexpected(LayoutError::parse("unexpected"));
  };
}

/// Counts layouts, keeps the last DOT text and `dot` arguments asked for
/// and serves `result`, or fails like a broken `dot` when there is none.
struct FakeLayout {
  int calls = 0;
  std::string last_source;
  std::vector<std::string> last_args;
  std::optional<LayoutGraph> result;

  LayoutFunction function() {
    return [this](std::string_view source, std::span<const std::string> args)
               -> std::expected<LayoutGraph, LayoutError> {
      ++calls;
      last_source = source;
      last_args.assign(args.begin(), args.end());
      if (!result) return std::unexpected(LayoutError::parse("bad"));
      return *result;
    };
  }
};

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_FAKE_LAYOUT_H_
