// Parting cut labels that show the same text: another cut, then more room.
#include "render/distinct_labels.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace vantri {
namespace {

constexpr TrimStrategy kStrategies[] = {TrimStrategy::End, TrimStrategy::Start,
                                        TrimStrategy::Middle, TrimStrategy::Smart};

// Which nodes show each text.
using Showing = std::unordered_map<std::string, std::vector<std::size_t>>;

// Whether the nodes of `group` show texts of two different own labels.
bool mixed(std::span<const std::string> own, const std::vector<std::size_t>& group) {
  return std::any_of(group.begin(), group.end(),
                     [&](std::size_t i) { return own[i] != own[group.front()]; });
}

// Whether `text`, shown by a node whose own label is `label`, is shown by
// a node outside `group` with another label.
bool taken(const Showing& showing, std::span<const std::string> own, const std::string& text,
           const std::string& label, const std::vector<std::size_t>& group) {
  const auto found = showing.find(text);
  if (found == showing.end()) return false;
  return std::any_of(found->second.begin(), found->second.end(), [&](std::size_t j) {
    return own[j] != label && std::find(group.begin(), group.end(), j) == group.end();
  });
}

void forget(Showing& showing, const std::string& text, std::size_t node) {
  const auto found = showing.find(text);
  if (found == showing.end()) return;
  std::erase(found->second, node);
  if (found->second.empty()) showing.erase(found);
}

}  // namespace

void keep_labels_apart(std::span<const std::string> own, std::span<ShownLabel> shown,
                       std::span<std::uint64_t> columns, std::span<const std::uint64_t> most,
                       TrimStrategy trim, const LabelCutter& cut) {
  const std::size_t count =
      std::min({own.size(), shown.size(), columns.size(), most.size()});
  const auto any_cut = [&] {
    for (std::size_t i = 0; i < count; ++i) {
      if (shown[i].cut) return true;
    }
    return false;
  };
  // Each round either parts a group by cutting elsewhere, which makes no
  // new pair, or widens labels, which they do only so far.
  while (any_cut()) {
    Showing showing;
    for (std::size_t i = 0; i < count; ++i) {
      if (!own[i].empty()) showing[shown[i].text].push_back(i);
    }
    std::vector<std::vector<std::size_t>> groups;
    for (const auto& [text, nodes] : showing) {
      const bool some_cut =
          std::any_of(nodes.begin(), nodes.end(), [&](std::size_t i) { return shown[i].cut; });
      if (some_cut && mixed(own, nodes)) groups.push_back(nodes);
    }
    if (groups.empty()) return;
    // In node order, so that the outcome does not hang on the hash map.
    for (std::vector<std::size_t>& group : groups) std::sort(group.begin(), group.end());
    std::sort(groups.begin(), groups.end());

    bool changed = false;
    for (const std::vector<std::size_t>& group : groups) {
      std::vector<std::size_t> movable;
      for (std::size_t i : group) {
        if (shown[i].cut) movable.push_back(i);
      }
      // Another cut in as many columns, when it parts the whole group from
      // itself and from everything else.
      bool parted = false;
      for (const TrimStrategy other : kStrategies) {
        if (other == trim) continue;
        std::vector<ShownLabel> tried;
        for (std::size_t i : movable) tried.push_back(cut(i, columns[i], other));
        std::unordered_map<std::string, const std::string*> label_of;
        bool apart = true;
        for (std::size_t i : group) {
          const auto at = std::find(movable.begin(), movable.end(), i);
          const std::string& text =
              at == movable.end() ? shown[i].text : tried[at - movable.begin()].text;
          const auto [entry, added] = label_of.try_emplace(text, &own[i]);
          if ((!added && *entry->second != own[i]) || taken(showing, own, text, own[i], group)) {
            apart = false;
            break;
          }
        }
        if (!apart) continue;
        for (std::size_t k = 0; k < movable.size(); ++k) {
          const std::size_t i = movable[k];
          forget(showing, shown[i].text, i);
          shown[i] = std::move(tried[k]);
          showing[shown[i].text].push_back(i);
        }
        parted = true;
        break;
      }
      if (parted) {
        changed = true;
        continue;
      }
      for (std::size_t i : movable) {
        if (columns[i] >= most[i]) continue;
        ++columns[i];
        forget(showing, shown[i].text, i);
        shown[i] = cut(i, columns[i], trim);
        showing[shown[i].text].push_back(i);
        changed = true;
      }
    }
    if (!changed) return;
  }
}

}  // namespace vantri
