#pragma once
// A small compact JSON writer for the engine's stored formats.
//
// Why not the JSON library's own dump(): it cannot write "/" as "\/", which the stored format
// requires, and it would spell doubles its own way. This writer fills exactly that gap; parsing
// stays with the library.
//
// Output: no whitespace, strings as UTF-8 with non-ASCII written as is, "/" as "\/", quotes,
// backslashes and control characters escaped (\b \f \n \r \t, others as \u00XX). Bytes that
// are not valid UTF-8 are written as U+FFFD so the text always parses again (process names cut
// by the kernel can end inside a character). Numbers are the shortest decimal that reads back to
// the same double. A non-finite number poisons the writer: finish() then returns an error and
// no text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/expected.h"

namespace tempyra {

class JsonWriter {
 public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();

  // REQUIRES: inside an object, before each member's value.
  void key(std::string_view name);

  void string(std::string_view text);
  void number(double value);  // non-finite: records an error naming the current key
  void integer(std::int64_t value);
  void boolean(bool value);
  void null();

  // Copies an already encoded JSON value (e.g. a record from encodeJson) as the next value.
  // REQUIRES: `json` is one complete compact JSON value.
  void raw(std::string_view json);

  bool failed() const { return !error_.empty(); }

  // The text, or the first error. The writer is left empty either way.
  Expected<std::string> finish();

  // Appends `text` as a quoted JSON string with the escapes above.
  static void appendString(std::string& out, std::string_view text);
  // Appends the shortest round-trip decimal of a finite `value`.
  // REQUIRES: std::isfinite(value)
  static void appendNumber(std::string& out, double value);

 private:
  void beforeValue();

  std::string out_;
  std::string error_;
  std::string lastKey_;
  std::vector<bool> hasItem_;  // per open container: whether a member was written yet
  bool afterKey_ = false;
};

}  // namespace tempyra
