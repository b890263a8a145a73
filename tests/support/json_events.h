// A JSON SAX handler that writes down every event it gets, so that two
// readers of the same text can be compared event for event.
#ifndef VANTRI_TESTS_SUPPORT_JSON_EVENTS_H_
#define VANTRI_TESTS_SUPPORT_JSON_EVENTS_H_

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace vantri::testing {

struct JsonEvents {
  using Json = nlohmann::json;
  std::string log;
  bool null() { return add("null"); }
  bool boolean(bool b) { return add(b ? "true" : "false"); }
  bool number_integer(Json::number_integer_t n) { return add("int " + std::to_string(n)); }
  bool number_unsigned(Json::number_unsigned_t n) { return add("uint " + std::to_string(n)); }
  bool number_float(Json::number_float_t, const std::string& s) { return add("float " + s); }
  bool string(std::string& s) { return add("string " + s); }
  bool string_in_text(std::string_view s) { return add("string " + std::string(s)); }
  bool binary(Json::binary_t&) { return add("binary"); }
  bool start_object(std::size_t n) { return add("{" + std::to_string(n)); }
  bool end_object() { return add("}"); }
  bool start_array(std::size_t n) { return add("[" + std::to_string(n)); }
  bool end_array() { return add("]"); }
  bool key(std::string& k) { return add("key " + k); }
  bool key_in_text(std::string_view k) { return add("key " + std::string(k)); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    add("error");
    return false;
  }

 private:
  bool add(const std::string& event) {
    log += event;
    log += '\n';
    return true;
  }
};

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_JSON_EVENTS_H_
