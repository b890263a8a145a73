// PATH search over absolute directories only.
#include "graphviz/find_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vantri {
namespace {

bool regular_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// What exec*p would search when PATH is unset.
std::string default_search_path() {
  const std::size_t size = ::confstr(_CS_PATH, nullptr, 0);
  if (size == 0) return "/bin:/usr/bin";
  std::string value(size, '\0');
  ::confstr(_CS_PATH, value.data(), size);
  value.resize(size - 1);  // the terminating NUL
  return value;
}

}  // namespace

FoundProgram find_program(std::string_view name,
                          std::optional<std::string_view> path_variable) {
  const std::string fallback = path_variable ? std::string() : default_search_path();
  std::string_view entries = path_variable ? *path_variable : std::string_view(fallback);
  FoundProgram found;
  for (;;) {
    const std::size_t colon = entries.find(':');
    const std::string_view entry = entries.substr(0, colon);
    if (!entry.starts_with('/')) {
      found.search.skipped.emplace_back(entry);
    } else {
      found.search.searched.emplace_back(entry);
      std::string candidate(entry);
      if (!candidate.ends_with('/')) candidate += '/';
      candidate += name;
      if (regular_file(candidate)) {
        if (::access(candidate.c_str(), X_OK) == 0) {
          found.path = std::move(candidate);
          return found;
        }
        if (!found.not_executable) found.not_executable = std::move(candidate);
      }
    }
    if (colon == std::string_view::npos) break;
    entries.remove_prefix(colon + 1);
  }
  return found;
}

FoundProgram find_program(std::string_view name) {
  const char* path_variable = std::getenv("PATH");
  if (path_variable == nullptr) return find_program(name, std::nullopt);
  return find_program(name, std::string_view(path_variable));
}

}  // namespace vantri
