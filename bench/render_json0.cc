// Draws one graph with the C++ pipeline and prints the drawing: for checking
// that a change to the drawing code leaves its output byte for byte the
// same, and for profiling without the Python interpreter.
//
//   render_json0 [--width N] [--max-label N] [--color ansi|box|off]
//                [--trim STRAT] INPUT > drawing.txt
//   render_json0 --print-json0 -synthetic=N > layout.json
//
// INPUT is a json0 file (ending in .json; drawn without running dot, so
// --width is refused), "-synthetic=N" for a synthetic layout of N nodes, or
// a DOT file, which is laid out with dot as vantri.render() does.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "bench/synthetic_json0.h"
#include "graphviz/json0_reader.h"
#include "render/render_graph.h"

namespace {

int usage() {
  std::cerr << "usage: render_json0 [--width N] [--max-label N] [--color ansi|box|off]"
               " [--trim STRAT] FILE.json | -synthetic=N | FILE.gv\n"
               "       render_json0 --print-json0 -synthetic=N\n";
  return 2;
}

bool read_file(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  vantri::RenderOptions options;
  std::string input;
  bool print_json0 = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--print-json0") {
      print_json0 = true;
    } else if (arg == "--width" && has_value) {
      options.max_width = std::stoull(argv[++i]);
    } else if (arg == "--max-label" && has_value) {
      options.max_label = std::stoull(argv[++i]);
    } else if (arg == "--color" && has_value) {
      const std::string_view mode = argv[++i];
      if (mode == "ansi") {
        options.color = vantri::ColorMode::Ansi;
      } else if (mode == "box") {
        options.color = vantri::ColorMode::BoxStyles;
      } else if (mode == "off") {
        options.color = vantri::ColorMode::Off;
      } else {
        return usage();
      }
    } else if (arg == "--trim" && has_value) {
      const auto trim = vantri::parse_trim_strategy(argv[++i]);
      if (!trim) return usage();
      options.trim = *trim;
    } else if (input.empty() && !arg.empty() && (arg[0] != '-' || arg.starts_with("-synthetic="))) {
      input = arg;
    } else {
      return usage();
    }
  }
  if (input.empty()) return usage();

  std::expected<vantri::Rendering, vantri::RenderError> text;
  std::string content;
  if (input.starts_with("-synthetic=") || input.ends_with(".json")) {
    if (input.starts_with("-synthetic=")) {
      content = vantri::bench::synthetic_json0(std::stoul(input.substr(11)));
    } else if (!read_file(input, content)) {
      std::cerr << "render_json0: cannot read " << input << "\n";
      return 2;
    }
    if (print_json0) {
      std::cout << content;
      return 0;
    }
    if (options.max_width) {
      std::cerr << "render_json0: --width needs a DOT file\n";
      return 2;
    }
    auto layout = vantri::read_json0(content);
    if (!layout) {
      std::cerr << "render_json0: " << layout.error().display() << "\n";
      return 1;
    }
    text = vantri::render_layout("", std::move(*layout), options, {});
  } else {
    if (!read_file(input, content)) {
      std::cerr << "render_json0: cannot read " << input << "\n";
      return 2;
    }
    text = vantri::render_graph(content, options);
  }
  if (!text) {
    std::cerr << "render_json0: " << vantri::display(text.error()) << "\n";
    return 1;
  }
  std::cout << text->text;
  if (text->cut) std::cerr << "render_json0: " << text->cut->message("--width") << "\n";
  return 0;
}
