// Fuzz target: the json0 reader on arbitrary text.
//
// Reading may fail with a Parse error but never crash, hang or leak. A
// graph it returns must keep the promise edge drawing relies on: every edge
// end is a valid node index. The quick reader of plain JSON that serves
// dot's output accepts only text the full JSON parser reads to the very
// same events.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "graphviz/json0_reader.h"
#include "graphviz/plain_json.h"
#include "support/json_events.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vantri::testing::JsonEvents plain;
  if (vantri::read_plain_json(text, plain)) {
    vantri::testing::JsonEvents full;
    FUZZ_CHECK(nlohmann::json::sax_parse(text.begin(), text.end(), &full));
    FUZZ_CHECK(plain.log == full.log);
  }
  const auto graph = vantri::read_json0(text);
  if (!graph) {
    FUZZ_CHECK(graph.error().kind() == vantri::LayoutError::Kind::Parse);
    FUZZ_CHECK(!graph.error().display().empty());
    return 0;
  }
  for (const vantri::LayoutEdge& edge : graph->edges) {
    FUZZ_CHECK(edge.tail < graph->nodes.size());
    FUZZ_CHECK(edge.head < graph->nodes.size());
    FUZZ_CHECK(!edge.label || !edge.label->empty());
  }
  return 0;
}
