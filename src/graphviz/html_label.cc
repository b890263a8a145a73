// The HTML-like label syntax: tags, entities, text and tables.
#include "graphviz/html_label.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

// HTML 4's entities from U+00A0 to U+00FF, in code point order.
constexpr std::array<std::string_view, 96> kLatin1 = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The Greek letters from U+0391 (Alpha) to U+03C9 (omega); U+03A2 has none.
constexpr std::array<std::string_view, 57> kGreek = {
    "Alpha", "Beta",   "Gamma", "Delta", "Epsilon", "Zeta",    "Eta",    "Theta",
    "Iota",  "Kappa",  "Lambda", "Mu",   "Nu",      "Xi",      "Omicron", "Pi",
    "Rho",   "",       "Sigma", "Tau",   "Upsilon", "Phi",     "Chi",    "Psi",
    "Omega", "",       "",      "",      "",        "",        "",       "",
    "alpha", "beta",   "gamma", "delta", "epsilon", "zeta",    "eta",    "theta",
    "iota",  "kappa",  "lambda", "mu",   "nu",      "xi",      "omicron", "pi",
    "rho",   "sigmaf", "sigma", "tau",   "upsilon", "phi",     "chi",    "psi",
    "omega"};

struct Entity {
  std::string_view name;
  char32_t value;
};

// The rest of HTML 4's entities, and XML's &apos;.
constexpr Entity kOthers[] = {
    {"quot", 0x22},     {"amp", 0x26},      {"apos", 0x27},    {"lt", 0x3C},
    {"gt", 0x3E},       {"OElig", 0x152},   {"oelig", 0x153},  {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},   {"circ", 0x2C6},
    {"tilde", 0x2DC},   {"thetasym", 0x3D1}, {"upsih", 0x3D2}, {"piv", 0x3D6},
    {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},
    {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},   {"ndash", 0x2013},
    {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E}, {"dagger", 0x2020},
    {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030},
    {"prime", 0x2032},  {"Prime", 0x2033},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"oline", 0x203E},  {"frasl", 0x2044},  {"euro", 0x20AC},  {"image", 0x2111},
    {"weierp", 0x2118}, {"real", 0x211C},   {"trade", 0x2122}, {"alefsym", 0x2135},
    {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},  {"darr", 0x2193},
    {"harr", 0x2194},   {"crarr", 0x21B5},  {"lArr", 0x21D0},  {"uArr", 0x21D1},
    {"rArr", 0x21D2},   {"dArr", 0x21D3},   {"hArr", 0x21D4},  {"forall", 0x2200},
    {"part", 0x2202},   {"exist", 0x2203},  {"empty", 0x2205}, {"nabla", 0x2207},
    {"isin", 0x2208},   {"notin", 0x2209},  {"ni", 0x220B},    {"prod", 0x220F},
    {"sum", 0x2211},    {"minus", 0x2212},  {"lowast", 0x2217}, {"radic", 0x221A},
    {"prop", 0x221D},   {"infin", 0x221E},  {"ang", 0x2220},   {"and", 0x2227},
    {"or", 0x2228},     {"cap", 0x2229},    {"cup", 0x222A},   {"int", 0x222B},
    {"there4", 0x2234}, {"sim", 0x223C},    {"cong", 0x2245},  {"asymp", 0x2248},
    {"ne", 0x2260},     {"equiv", 0x2261},  {"le", 0x2264},    {"ge", 0x2265},
    {"sub", 0x2282},    {"sup", 0x2283},    {"nsub", 0x2284},  {"sube", 0x2286},
    {"supe", 0x2287},   {"oplus", 0x2295},  {"otimes", 0x2297}, {"perp", 0x22A5},
    {"sdot", 0x22C5},   {"lceil", 0x2308},  {"rceil", 0x2309}, {"lfloor", 0x230A},
    {"rfloor", 0x230B}, {"lang", 0x2329},   {"rang", 0x232A},  {"loz", 0x25CA},
    {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665}, {"diams", 0x2666}};

std::optional<char32_t> named_entity(std::string_view name) {
  if (name.empty()) return std::nullopt;
  for (std::size_t k = 0; k < kLatin1.size(); ++k) {
    if (kLatin1[k] == name) return static_cast<char32_t>(0xA0 + k);
  }
  for (std::size_t k = 0; k < kGreek.size(); ++k) {
    if (kGreek[k] == name) return static_cast<char32_t>(0x391 + k);
  }
  for (const Entity& e : kOthers) {
    if (e.name == name) return e.value;
  }
  return std::nullopt;
}

// The character of "&...;" whose inside is `body`, or nothing.
std::optional<char32_t> entity_value(std::string_view body) {
  if (!body.starts_with('#')) return named_entity(body);
  body.remove_prefix(1);
  int base = 10;
  if (body.starts_with('x') || body.starts_with('X')) {
    body.remove_prefix(1);
    base = 16;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value, base);
  if (body.empty() || error != std::errc() || end != body.data() + body.size()) {
    return std::nullopt;
  }
  // Not a scalar value: shown as the replacement character.
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return U'\uFFFD';
  return static_cast<char32_t>(value);
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

// The largest span a table cell may claim, so that a hostile one cannot
// make a grid of millions of columns.
constexpr std::uint32_t kMaxSpan = 128;

struct Tag {
  std::string name;  // upper case
  bool closing = false;
  std::string port;
  std::uint32_t column_span = 1;
  std::uint32_t row_span = 1;
  // BORDER and CELLBORDER: whether they are other than 0, when given.
  std::optional<bool> border;
  std::optional<bool> cell_border;
  std::string color;
};

struct Token {
  bool is_tag = false;
  std::string_view text;
  Tag tag;
};

std::uint32_t span_value(std::string_view value) {
  std::uint32_t n = 1;
  std::from_chars(value.data(), value.data() + value.size(), n);
  return std::clamp<std::uint32_t>(n, 1, kMaxSpan);
}

// A border width: a whole number, 1 when it cannot be read.
std::uint32_t width_value(std::string_view value) {
  std::uint32_t n = 1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
  return error == std::errc() ? n : 1;
}

// The longest tag read; a longer one is text. Real tags are short, and the
// bound keeps a label full of unclosed "<" from costing its length squared.
constexpr std::size_t kMaxTagLength = 1024;

// Reads the tag whose "<" is at `i`; false when there is no closing ">".
bool read_tag(std::string_view whole, std::size_t& i, Tag& tag) {
  const std::string_view s = whole.substr(0, i + std::min(kMaxTagLength, whole.size() - i));
  std::size_t k = i + 1;
  if (k < s.size() && s[k] == '/') {
    tag.closing = true;
    ++k;
  }
  const std::size_t name_start = k;
  while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) != 0)) ++k;
  for (std::size_t n = name_start; n < k; ++n) tag.name += upper(s[n]);
  while (k < s.size() && s[k] != '>') {
    // A "<" ends no tag; this one is text.
    if (s[k] == '<') return false;
    if (is_space(s[k]) || s[k] == '/') {
      ++k;
      continue;
    }
    const std::size_t attr_start = k;
    while (k < s.size() && !is_space(s[k]) && s[k] != '=' && s[k] != '>' && s[k] != '/') ++k;
    const std::string_view attr = s.substr(attr_start, k - attr_start);
    while (k < s.size() && is_space(s[k])) ++k;
    if (k >= s.size() || s[k] != '=') continue;
    ++k;
    while (k < s.size() && is_space(s[k])) ++k;
    std::string_view value;
    if (k < s.size() && (s[k] == '"' || s[k] == '\'')) {
      const std::size_t close = s.find(s[k], k + 1);
      if (close == std::string_view::npos) return false;
      value = s.substr(k + 1, close - k - 1);
      k = close + 1;
    } else {
      const std::size_t start = k;
      while (k < s.size() && !is_space(s[k]) && s[k] != '>') ++k;
      value = s.substr(start, k - start);
    }
    if (same_name(attr, "PORT")) tag.port = decode_html_entities(value);
    if (same_name(attr, "COLSPAN")) tag.column_span = span_value(value);
    if (same_name(attr, "ROWSPAN")) tag.row_span = span_value(value);
    if (same_name(attr, "BORDER")) tag.border = width_value(value) != 0;
    if (same_name(attr, "CELLBORDER")) tag.cell_border = width_value(value) != 0;
    if (same_name(attr, "COLOR")) tag.color = decode_html_entities(value);
  }
  if (k >= s.size()) return false;
  i = k + 1;
  return true;
}

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  std::size_t text_start = 0;
  const std::size_t last_close = s.rfind('>');
  const auto flush = [&](std::size_t end) {
    if (end > text_start) tokens.push_back({false, s.substr(text_start, end - text_start), {}});
  };
  while (i < s.size()) {
    if (s[i] != '<') {
      ++i;
      continue;
    }
    if (s.substr(i).starts_with("<!--")) {
      flush(i);
      const std::size_t end = s.find("-->", i + 4);
      i = end == std::string_view::npos ? s.size() : end + 3;
      text_start = i;
      continue;
    }
    // Past the last ">", no "<" opens a tag: the rest is text.
    if (last_close == std::string_view::npos || i > last_close) break;
    std::size_t after = i;
    Token token{true, {}, {}};
    if (!read_tag(s, after, token.tag)) {
      ++i;  // a lone "<" is text
      continue;
    }
    flush(i);
    tokens.push_back(std::move(token));
    i = text_start = after;
  }
  flush(s.size());
  return tokens;
}

// Decoded text without the characters that do not print.
std::string printable_text(std::string_view text) {
  const std::string decoded = decode_html_entities(text);
  std::string out;
  out.reserve(decoded.size());
  for (std::size_t i = 0; i < decoded.size();) {
    const std::size_t start = i;
    const char32_t c = next_code_point(decoded, i);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) continue;
    out.append(decoded, start, i - start);
  }
  return out;
}

// A styled stretch of line `line` of a label being read, in bytes.
struct LineRun {
  std::size_t line = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
  TextStyle style;
};

// Lines with the blanks at their ends removed and empty lines before the
// first and after the last line of text dropped, joined by line feeds;
// `runs` follow their text into `kept`.
std::string join_lines(const std::vector<std::string>& lines,
                       const std::vector<LineRun>& runs = {},
                       std::vector<StyledRun>* kept = nullptr) {
  std::size_t first = 0;
  std::size_t end = lines.size();
  while (first < end && trim_white_space(lines[first]).empty()) ++first;
  while (end > first && trim_white_space(lines[end - 1]).empty()) --end;
  std::string out;
  for (std::size_t k = first; k < end; ++k) {
    if (k > first) out += '\n';
    const std::string_view line = trim_white_space(lines[k]);
    const std::size_t lead = static_cast<std::size_t>(line.data() - lines[k].data());
    if (kept) {
      for (const LineRun& run : runs) {
        if (run.line != k) continue;
        const std::size_t b = std::clamp(run.begin, lead, lead + line.size()) - lead;
        const std::size_t e = std::clamp(run.end, lead, lead + line.size()) - lead;
        if (b < e) kept->push_back({out.size() + b, out.size() + e, run.style});
      }
    }
    out += line;
  }
  return out;
}

class Reader {
 public:
  explicit Reader(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  HtmlLabel label() {
    HtmlLabel out;
    Content content = read_content(Stop::End, 0);
    if (content.table) {
      out.table = std::move(content.table);
    } else {
      out.text = join_lines(content.lines);
    }
    return out;
  }

 private:
  enum class Stop { End, Cell };

  struct Content {
    std::vector<std::string> lines{std::string()};
    std::vector<LineRun> runs;
    std::optional<FieldTree> table;
  };

  // The style the text read now is set in, from the font tags open.
  TextStyle style() const {
    TextStyle s;
    s.bold = bold_ > 0;
    s.italic = italic_ > 0;
    s.underline = underline_ > 0;
    for (auto it = colors_.rbegin(); it != colors_.rend(); ++it) {
      if (!it->empty()) {
        s.color = *it;
        break;
      }
    }
    return s;
  }

  // Follows the font tags: <B>, <I>, <U> and <FONT>, opening and closing.
  void follow_font(const Tag& tag) {
    const auto count = [&](int& depth) {
      depth = tag.closing ? std::max(0, depth - 1) : std::min(depth + 1, kMaxFieldDepth);
    };
    if (tag.name == "B") count(bold_);
    if (tag.name == "I") count(italic_);
    if (tag.name == "U") count(underline_);
    if (tag.name == "FONT") {
      if (tag.closing) {
        if (!colors_.empty()) colors_.pop_back();
      } else if (colors_.size() < static_cast<std::size_t>(kMaxFieldDepth)) {
        colors_.push_back(tag.color);
      }
    }
  }

  bool ends_cell(const Tag& tag) const {
    if (tag.closing) return tag.name == "TD" || tag.name == "TR" || tag.name == "TABLE";
    return tag.name == "TD" || tag.name == "TR";
  }

  // Text and at most one table, up to the end of a cell or of the label.
  Content read_content(Stop stop, int depth) {
    Content out;
    while (i_ < tokens_.size()) {
      const Token& token = tokens_[i_];
      if (!token.is_tag) {
        const std::string text = printable_text(token.text);
        const TextStyle now = style();
        if (!now.plain() && !text.empty()) {
          const std::size_t begin = out.lines.back().size();
          out.runs.push_back({out.lines.size() - 1, begin, begin + text.size(), now});
        }
        out.lines.back() += text;
        ++i_;
        continue;
      }
      const Tag& tag = token.tag;
      if (stop == Stop::Cell && ends_cell(tag)) return out;
      ++i_;
      follow_font(tag);
      if (tag.name == "BR" && !tag.closing) {
        out.lines.emplace_back();
      } else if (tag.name == "TABLE" && !tag.closing && !out.table && depth + 1 < kMaxFieldDepth) {
        out.table = read_table(tag, depth + 1);
      }
    }
    return out;
  }

  // The rows and cells of a table whose opening tag was just read.
  FieldTree read_table(const Tag& open, int depth) {
    FieldTree table;
    table.port = open.port;
    table.outline = open.border.value_or(true);
    // Cells have the table's border unless CELLBORDER says otherwise.
    const bool cell_border = open.cell_border.value_or(table.outline);
    std::int64_t row = -1;
    std::uint32_t column = 0;
    // The row from which each column is free again, for cells spanning rows.
    std::vector<std::uint64_t> busy_until;
    while (i_ < tokens_.size()) {
      const Token& token = tokens_[i_];
      ++i_;
      if (!token.is_tag) continue;
      const Tag& tag = token.tag;
      follow_font(tag);
      if (tag.name == "TABLE" && tag.closing) break;
      if (tag.name == "TR" && !tag.closing) {
        ++row;
        column = 0;
      } else if (tag.name == "TD" && !tag.closing) {
        if (row < 0) row = 0;
        const auto r = static_cast<std::uint64_t>(row);
        while (column < busy_until.size() && busy_until[column] > r) ++column;
        Content content = read_content(Stop::Cell, depth);
        if (i_ < tokens_.size() && tokens_[i_].is_tag && tokens_[i_].tag.closing &&
            tokens_[i_].tag.name == "TD") {
          ++i_;
        }
        FieldItem item;
        item.row = static_cast<std::uint32_t>(std::min<std::uint64_t>(r, UINT32_MAX - kMaxSpan));
        item.column = std::min(column, UINT32_MAX - kMaxSpan);
        item.row_span = tag.row_span;
        item.column_span = tag.column_span;
        item.field = cell_field(std::move(content), tag.port);
        const bool lined = tag.border.value_or(cell_border);
        item.field.outline = item.field.is_grid() ? item.field.outline || lined : lined;
        if (busy_until.size() < item.column + item.column_span) {
          busy_until.resize(item.column + item.column_span, 0);
        }
        for (std::uint32_t c = item.column; c < item.column + item.column_span; ++c) {
          busy_until[c] = r + item.row_span;
        }
        column = item.column + item.column_span;
        table.rows = std::max(table.rows, item.row + item.row_span);
        table.columns = std::max(table.columns, item.column + item.column_span);
        table.items.push_back(std::move(item));
      }
    }
    return table;
  }

  static FieldTree cell_field(Content content, const std::string& port) {
    if (!content.table) {
      FieldTree leaf;
      leaf.text = join_lines(content.lines, content.runs, &leaf.runs);
      leaf.port = port;
      return leaf;
    }
    if (port.empty() || content.table->port.empty()) {
      if (!port.empty()) content.table->port = port;
      return std::move(*content.table);
    }
    // Both the cell and its table are ports: a grid of one holds the table.
    FieldTree cell;
    cell.rows = 1;
    cell.columns = 1;
    cell.port = port;
    cell.items.push_back({0, 0, 1, 1, std::move(*content.table)});
    return cell;
  }

  std::vector<Token> tokens_;
  std::size_t i_ = 0;
  int bold_ = 0;
  int italic_ = 0;
  int underline_ = 0;
  std::vector<std::string> colors_;
};

// A table's cells as text, row by row.
std::string flatten(const FieldTree& tree) {
  if (!tree.is_grid()) {
    std::string one;
    for (const std::string_view line : split_label_lines(tree.text)) {
      if (line.empty()) continue;
      if (!one.empty()) one += ' ';
      one += line;
    }
    return one;
  }
  std::vector<const FieldItem*> items;
  for (const FieldItem& item : tree.items) items.push_back(&item);
  std::stable_sort(items.begin(), items.end(), [](const FieldItem* a, const FieldItem* b) {
    return a->row != b->row ? a->row < b->row : a->column < b->column;
  });
  std::string out;
  std::uint32_t row = 0;
  bool row_empty = true;
  for (const FieldItem* item : items) {
    const std::string text = flatten(item->field);
    if (item->row != row && !out.empty()) {
      out += '\n';
      row_empty = true;
    }
    row = item->row;
    if (!row_empty) out += " │ ";
    out += text;
    row_empty = false;
  }
  return out;
}

}  // namespace

std::string decode_html_entities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) break;
    out.append(text, i, amp - i);
    // Entity names are short: only a ";" close by ends one.
    const std::size_t near = text.substr(amp + 1, 10).find(';');
    const std::size_t semi = near == std::string_view::npos ? near : amp + 1 + near;
    const std::optional<char32_t> value =
        semi != std::string_view::npos ? entity_value(text.substr(amp + 1, semi - amp - 1))
                                       : std::nullopt;
    if (value) {
      append_utf8(out, *value);
      i = semi + 1;
    } else {
      out += '&';
      i = amp + 1;
    }
  }
  out.append(text, i);
  return out;
}

HtmlLabel read_html_label(std::string_view html) { return Reader(tokenize(html)).label(); }

std::string html_label_text(std::string_view html) {
  HtmlLabel label = read_html_label(html);
  return label.table ? flatten(*label.table) : std::move(label.text);
}

}  // namespace vantri
