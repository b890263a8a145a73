// Replays saved fuzz inputs through a fuzz target, as a regression test.
//
// Linked with one target's LLVMFuzzerTestOneInput in place of libFuzzer.
// Each argument is a file or a directory whose regular files are fed to the
// target one at a time, in name order. A failing check aborts the process,
// which fails the test; an argument without any input fails too, so that a
// mistyped corpus path cannot pass unnoticed.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputs_of(const fs::path& path) {
  std::vector<fs::path> files;
  std::error_code error;
  if (fs::is_directory(path, error)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
  } else if (fs::is_regular_file(path, error)) {
    files.push_back(path);
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
    return 2;
  }
  std::size_t total = 0;
  double slowest_seconds = 0.0;
  std::string slowest;
  for (int a = 1; a < argc; ++a) {
    const std::vector<fs::path> files = inputs_of(argv[a]);
    if (files.empty()) {
      std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[a]);
      return 1;
    }
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], file.c_str());
        return 1;
      }
      // libFuzzer never passes a null pointer, not even for the empty
      // input; neither does this.
      static const std::uint8_t kNothing = 0;
      const auto* data = bytes.empty()
                             ? &kNothing
                             : reinterpret_cast<const std::uint8_t*>(bytes.data());
      const auto start = std::chrono::steady_clock::now();
      LLVMFuzzerTestOneInput(data, bytes.size());
      const std::chrono::duration<double> took =
          std::chrono::steady_clock::now() - start;
      if (took.count() > slowest_seconds) {
        slowest_seconds = took.count();
        slowest = file.filename().string();
      }
      ++total;
    }
  }
  std::printf("replayed %zu inputs; slowest %s took %.3f s\n", total,
              slowest.c_str(), slowest_seconds);
  return 0;
}
