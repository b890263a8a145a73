// Every fixed message vantri shows its user, each beside the case it
// reports.
//
// Their wording is part of the interface: the README quotes them, scripts
// match them and tests compare them whole. The units that meet a case
// compose its message here and nowhere else, so that a change of wording
// is one change, made in one place. Messages that carry a Python object (a
// type's name, a value's repr) are printf-style formats for the binding's
// PyErr_Format, their arguments named beside them. Texts that come from
// elsewhere pass through unchanged: the system's error descriptions, dot's
// diagnostics, the JSON parser's messages.
#ifndef VANTRI_MESSAGES_MESSAGES_H_
#define VANTRI_MESSAGES_MESSAGES_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantri::messages {

// --- Text that is not UTF-8 -------------------------------------------------

/// Bytes from `index` on that form no character: an invalid sequence of
/// `length` bytes.
std::string invalid_utf8_sequence(std::size_t length, std::size_t index);

/// Bytes that end inside a character begun at `index`.
std::string incomplete_utf8_sequence(std::size_t index);

/// DOT source from a file or standard input that is not UTF-8 and does not
/// declare Latin-1; `detail` is one of the two above.
std::string source_not_utf8(std::string_view detail);

// --- Options ----------------------------------------------------------------

/// A trim strategy that is none of end, start, middle and smart; `name` as
/// given.
std::string unknown_trim_strategy(std::string_view name);

/// The same for `--trim`, followed by the names it takes in parentheses.
std::string unknown_trim_strategy_option(std::string_view name);
inline constexpr std::string_view kExpectedStrategy = "expected end, start, middle or smart";

// --- Running dot ------------------------------------------------------------

/// No executable `dot` in the absolute directories of PATH (`searched`);
/// `skipped` are the entries passed over as not absolute. Either list may
/// be empty, and is then not mentioned.
std::string dot_not_found(const std::vector<std::string>& searched,
                          const std::vector<std::string>& skipped);

/// A `dot` at `path` that exists but could not be started; `error` is the
/// system's account of why.
std::string dot_unrunnable(std::string_view path, std::string_view error);

/// dot exited with a status other than 0 (`code`; absent when there is
/// none), having written `stderr_text` on its standard error.
std::string dot_exited(std::optional<std::int32_t> code, std::string_view stderr_text);

/// dot was ended by `signal`, whose description is `name` (null when the
/// system has none), having written `stderr_text` (may be empty).
std::string dot_killed(int signal, const char* name, std::string_view stderr_text);

/// dot took longer than the caller's timeout of `seconds` and was killed.
std::string dot_timed_out(double seconds);

/// dot and the drawing together took longer than the caller's timeout of
/// `seconds`, which passed while drawing.
std::string drawing_timed_out(double seconds);

/// The caller's interrupt (Ctrl-C, say) ended the run and dot was killed.
inline constexpr std::string_view kInterrupted = "interrupted";

/// dot wrote more than `limit` bytes to `stream` ("standard output" or
/// "standard error").
std::string dot_wrote_too_much(std::uint64_t limit, std::string_view stream);

/// dot stopped taking its input before all of it was written.
inline constexpr std::string_view kInputNotTaken = "failed to write whole buffer";

/// dot succeeded and wrote nothing: there was no graph to lay out.
inline constexpr std::string_view kNoGraph =
    "the DOT text holds no graph (it is empty, or only blanks and comments)";

/// dot's standard output is not UTF-8; `detail` says where.
std::string dot_output_not_utf8(std::string_view detail);

/// A system call failed with error `number`, which the system describes as
/// `description`.
std::string os_error(std::string_view description, int number);

// --- dot's json0 output -----------------------------------------------------

/// dot's output is not a json0 layout vantri can read; `detail` is one of
/// the messages below, or the JSON parser's own.
std::string json0_unreadable(std::string_view detail);

/// The JSON text begins with a byte order mark.
inline constexpr std::string_view kByteOrderMark =
    "unexpected byte order mark before the JSON value";

/// The JSON value is no object with a "bb" string.
inline constexpr std::string_view kNoBoundingBox = "missing top-level 'bb' field";

/// "objects" or "edges" (`member`) is present but no array.
std::string member_not_array(std::string_view member);

/// The object of node or edge `gvid`, as the messages below name it.
std::string node_named(std::uint64_t gvid);
std::string edge_named(std::uint64_t gvid);

/// `owner` ("node", "edge", or `node_named`/`edge_named`) lacks `member`.
std::string member_missing(std::string_view owner, std::string_view member);

/// The "width" or "height" (`member`) of `owner` is no number; `detail` is
/// the number reader's message.
std::string size_invalid(std::string_view owner, std::string_view member,
                         std::string_view detail);

/// The "tail" or "head" (`end`) of `edge` names a gvid no node has.
std::string end_not_found(std::string_view edge, std::string_view end, std::uint64_t gvid);

/// A "bb" that is not four values separated by commas.
std::string bb_malformed(std::string_view text);

/// Value `index` (from 0) of a "bb", `piece`, is no number (`detail`).
std::string bb_component_invalid(std::size_t index, std::string_view piece,
                                 std::string_view detail);

/// A point ("pos", "lp", a spline's) that is not two values separated by
/// one comma.
std::string point_malformed(std::string_view text);

/// The "x" or "y" (`axis`) of a point, `piece`, is no number (`detail`).
std::string coordinate_invalid(std::string_view axis, std::string_view piece,
                               std::string_view detail);

/// A number that is empty, or not a number: the `detail` of the messages
/// above.
inline constexpr std::string_view kEmptyNumber = "cannot parse float from empty string";
inline constexpr std::string_view kInvalidNumber = "invalid float literal";

// --- Drawing ----------------------------------------------------------------

/// A canvas of `width` × `height` cells (`cells`, written out) beyond the
/// `limit` of cells vantri draws; `narrowest` is the widest width limit
/// that makes it drawable, absent when the drawing is too tall for any.
std::string drawing_too_large(std::uint64_t width, std::uint64_t height, std::string_view cells,
                              std::uint64_t limit, std::optional<std::uint64_t> narrowest);

/// A drawing cut at the width limit of `columns`: `nodes_left_out` of its
/// `nodes` visible nodes did not fit (none: only edges did not). Names
/// the caller's width setting (`--width`, `max_width`).
std::string drawing_cut(std::uint64_t columns, std::size_t nodes_left_out, std::size_t nodes,
                        std::string_view width_setting);

/// `not_drawn` of a drawing's `edges` visible edges found no route at all.
std::string edges_not_drawn(std::size_t not_drawn, std::size_t edges);

// --- Reading DOT source -----------------------------------------------------

/// A file or standard input larger than `limit` bytes.
std::string input_too_large(std::uint64_t limit);

/// A file name with a NUL byte in it, which no file can have.
inline constexpr std::string_view kNulInFileName = "file name contained an unexpected NUL byte";

// --- The command line -------------------------------------------------------

/// `vantri --help`.
inline constexpr std::string_view kCliHelp =
    "vantri: Convert Graphviz DOT files to ASCII box-drawing art\n"
    "\n"
    "Usage: vantri [OPTIONS] <FILE>...\n"
    "\n"
    "Arguments:\n"
    "  <FILE>...          DOT files, drawn in turn and separated by a blank\n"
    "                     line; \"-\" reads standard input, and so does no\n"
    "                     FILE when standard input is no terminal\n"
    "\n"
    "Options:\n"
    "  --width N          Widest line of a drawing, in terminal columns: 5 or\n"
    "                     more, or 0 for no limit; what still does not fit is\n"
    "                     cut, and standard error says how many nodes it left\n"
    "                     out [default: on a terminal, its width, see below;\n"
    "                     else none]\n"
    "  --trim STRAT       Where labels are cut: end, start, middle, or smart,\n"
    "                     which keeps whole _-separated words from both ends\n"
    "                     [default: smart]\n"
    "  --max-label N      Widest label, in terminal columns\n"
    "  --timeout SECONDS  Give up on a graph when dot and the drawing take\n"
    "                     longer than this\n"
    "  --color            ANSI colours, even when standard output is no terminal\n"
    "  --no-color         Fill colours as box line styles, not ANSI colours\n"
    "                     [default: ANSI colours when standard output is a\n"
    "                     terminal and NO_COLOR is unset or empty]\n"
    "  --no-pager         Print straight to the terminal, never through a pager\n"
    "  -V, --version      Print the version\n"
    "  -h, --help         Print help\n"
    "  --                 Take every later argument as a FILE\n"
    "\n"
    "On a terminal, without --width, a drawing is fitted to the terminal's\n"
    "width; one that would still leave nodes out is drawn whole instead, as\n"
    "narrow as it gets, and shown through a pager that scrolls sideways, as is\n"
    "one taller than the screen: $VANTRI_PAGER, else $PAGER, else less -RSFX.\n"
    "Output to a pipe or a file is never paged, and --width N cuts as it does\n"
    "there. Options may also be written --width=N. While dot works on a large\n"
    "graph for more than a second, a line on a terminal's standard error says\n"
    "so.\n";

/// After the line of a usage error.
inline constexpr std::string_view kCliUsage =
    "Usage: vantri [OPTIONS] <FILE>...\n"
    "Try 'vantri --help' for more information.\n";

/// An option's `value` that does not do, with what was `expected` (one of
/// the three below).
std::string invalid_value(std::string_view option, std::string_view value,
                          std::string_view expected);
inline constexpr std::string_view kExpectedColumns = "expected a whole number of columns";
inline constexpr std::string_view kWidthTooSmall =
    "the narrowest drawing is 5 columns wide (0 means no limit)";
inline constexpr std::string_view kExpectedSeconds = "expected a positive number of seconds";

/// An option that takes a value, last on the line (`option` as written).
std::string option_needs_value(std::string_view option);

/// An argument that starts with "-" and is no option.
std::string unknown_option(std::string_view argument);

/// A flag written with "=value".
std::string option_takes_no_value(std::string_view option);

/// No file among the arguments.
inline constexpr std::string_view kNoFile = "no FILE given (\"-\" reads standard input)";

/// How the command names standard input in its messages.
inline constexpr std::string_view kStandardInput = "standard input";

/// A message about one of several inputs (or about a file that could not
/// be read), prefixed with its `name`.
std::string about_input(std::string_view name, std::string_view message);

/// A message about graph `number` (from 1) of an input that holds several.
std::string about_graph(std::size_t number, std::string_view message);

/// An error on standard error, one line: "vantri: error: MESSAGE".
std::string error_line(std::string_view message);

/// A notice on standard error after a drawing (a cut one), one line.
std::string notice_line(std::string_view message);

/// On a terminal's standard error while dot has worked for `seconds`
/// seconds.
std::string progress(std::int64_t seconds);

/// A failure of the command that carries no text of its own.
inline constexpr std::string_view kUnknownError = "unknown error";

// --- The module -------------------------------------------------------------

/// A `max_width` below 5: %s the function, %llu the narrowest width, %llu
/// the value given.
inline constexpr char kMaxWidthTooSmall[] =
    "%s() argument 'max_width' must be at least %llu (the narrowest drawing) "
    "or None for no limit, not %llu";

/// A `timeout` that is not above 0 (NaN too): %s the function, %R the value.
inline constexpr char kTimeoutNotPositive[] =
    "%s() argument 'timeout' must be a positive number of seconds or None, not %R";

/// More than one positional argument: %s the function, %zd how many.
inline constexpr char kTooManyPositional[] =
    "%s() takes 1 positional argument but %zd were given";

/// A keyword no parameter has: %s the function, %U the keyword.
inline constexpr char kUnexpectedKeyword[] = "%s() got an unexpected keyword argument '%U'";

/// A parameter given twice: %s the function, %s the parameter.
inline constexpr char kRepeatedArgument[] = "%s() got multiple values for argument '%s'";

/// No first argument: %s the function, %s the parameter.
inline constexpr char kMissingArgument[] = "%s() missing required argument '%s' (pos 1)";

/// An argument of the wrong type: %s the function, %s the parameter, %s
/// what it must be, %s the type given.
inline constexpr char kWrongType[] = "%s() argument '%s' must be %s, not %s";

/// What `render` takes as its DOT source, for the message of a wrong type.
inline constexpr char kExpectedDotSource[] =
    "str or a graph of the graphviz, pydot or networkx package";

/// A graph object whose DOT text is no str: %s what gave it ("source",
/// "to_string()"), %s the package, %s the type it gave.
inline constexpr char kGraphTextNotStr[] = "%s of a %s graph must be str, not %s";

/// A networkx graph whose views or attributes give something else than
/// networkx's own do.
inline constexpr char kNotLikeNetworkx[] =
    "the networkx graph's nodes, edges or attributes are not as networkx gives them";

/// sys.argv is a str, not a list.
inline constexpr char kArgvIsText[] = "Can't extract `str` to `Vec`";

/// sys.argv is no sequence.
inline constexpr char kArgvNotSequence[] = "sys.argv must be a sequence of str";

/// An item of sys.argv that is no str: %s its type.
inline constexpr char kArgvItemNotText[] = "sys.argv items must be str, not %s";

/// sys.argv has been deleted.
inline constexpr char kArgvLost[] = "lost sys.argv";

/// vantri.InternalError for a C++ exception that is no std::exception.
inline constexpr char kUnknownInternalError[] = "unknown internal error";

}  // namespace vantri::messages

#endif  // VANTRI_MESSAGES_MESSAGES_H_
