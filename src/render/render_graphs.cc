// Every graph of a DOT text, drawn in turn.
#include "render/render_graphs.h"

#include "graphviz/dot_tokens.h"

namespace vantri {

GraphRenderings render_graphs(std::string_view dot_source, const RenderOptions& options,
                              const LayoutsFunction& layout_all,
                              const LayoutFunction& relayout, StopCheck* stop) {
  GraphRenderings results;
  auto layouts = layout_all(dot_source);
  if (!layouts) {
    results.emplace_back(std::unexpected(std::move(layouts.error())));
    return results;
  }
  results.reserve(layouts->size());
  if (layouts->size() == 1) {
    results.push_back(
        render_layout(dot_source, std::move(layouts->front()), options, relayout, stop));
    return results;
  }
  // Each graph's own text tells which of its labels are HTML-like, and is
  // what the width fitting rewrites and lays out again. Should the text
  // not part into as many graphs as dot found, each graph is drawn from
  // its first layout, its labels marked from the whole text.
  const std::vector<std::string_view> texts = split_dot_graphs(dot_source);
  const bool parted = texts.size() == layouts->size();
  for (std::size_t i = 0; i < layouts->size(); ++i) {
    results.push_back(render_layout(parted ? texts[i] : dot_source, std::move((*layouts)[i]),
                                    options, parted ? relayout : LayoutFunction(), stop));
    // Interrupted or out of time: the graphs after would only say so too.
    if (stop != nullptr && stop->stopped()) break;
  }
  return results;
}

}  // namespace vantri
