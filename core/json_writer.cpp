#include "core/json_writer.h"

#include <charconv>
#include <cmath>

namespace tempyra {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is not valid (overlong
// forms, surrogates and code points above U+10FFFF are invalid).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  std::size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return len;
}

}  // namespace

void JsonWriter::appendString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t len = utf8SequenceLength(text, i);
      if (len == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD REPLACEMENT CHARACTER
        ++i;
      } else {
        out.append(text.substr(i, len));
        i += len;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '/': out += "\\/"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 0xF]);
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
  out.push_back('"');
}

void JsonWriter::appendNumber(std::string& out, double value) {
  if (value == 0 && std::signbit(value)) {
    out += "-0.0";  // "-0" would read back as the integer 0 and lose the sign
    return;
  }
  char buf[400];
  // Plain notation for the magnitudes time points and measurements have (so a whole-second
  // time stamp reads 1733500000, not 1.7335e+09); exponent notation outside it keeps the text
  // short. Both are the shortest digits that read back to the same double.
  const double mag = std::fabs(value);
  const bool plain = value == 0 || (mag >= 1e-5 && mag < 1e17);
  const auto res = plain ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasItem_.empty()) {
    if (hasItem_.back()) out_.push_back(',');
    hasItem_.back() = true;
  }
}

void JsonWriter::beginObject() {
  beforeValue();
  out_.push_back('{');
  hasItem_.push_back(false);
}

void JsonWriter::endObject() {
  out_.push_back('}');
  if (!hasItem_.empty()) hasItem_.pop_back();
}

void JsonWriter::beginArray() {
  beforeValue();
  out_.push_back('[');
  hasItem_.push_back(false);
}

void JsonWriter::endArray() {
  out_.push_back(']');
  if (!hasItem_.empty()) hasItem_.pop_back();
}

void JsonWriter::key(std::string_view name) {
  beforeValue();
  appendString(out_, name);
  out_.push_back(':');
  afterKey_ = true;
  lastKey_.assign(name);
}

void JsonWriter::string(std::string_view text) {
  beforeValue();
  appendString(out_, text);
}

void JsonWriter::number(double value) {
  beforeValue();
  if (!std::isfinite(value)) {
    if (error_.empty()) {
      error_ = lastKey_.empty() ? "cannot write a non-finite number"
                                : "cannot write a non-finite number in \"" + lastKey_ + "\"";
    }
    out_.push_back('0');  // keeps the structure; the text is discarded anyway
    return;
  }
  appendNumber(out_, value);
}

void JsonWriter::integer(std::int64_t value) {
  beforeValue();
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, res.ptr);
}

void JsonWriter::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::null() {
  beforeValue();
  out_ += "null";
}

void JsonWriter::raw(std::string_view json) {
  beforeValue();
  out_.append(json);
}

Expected<std::string> JsonWriter::finish() {
  std::string out = std::move(out_);
  std::string error = std::move(error_);
  out_.clear();
  error_.clear();
  lastKey_.clear();
  hasItem_.clear();
  afterKey_ = false;
  if (!error.empty()) return Error{std::move(error)};
  return out;
}

}  // namespace tempyra
