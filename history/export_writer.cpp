#include "history/export_writer.h"

#include <simdjson.h>

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/json_writer.h"

namespace tempyra {

namespace {

constexpr std::string_view kHeader =
    R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC","device":)";

// The size of the pieces handed to the sink: large enough that the file system's cost per
// write vanishes, small enough that memory does not grow with the history.
constexpr std::size_t kPieceSize = 1 << 20;

// The quick check below reads up to this many bytes past a text's end (its NUL included).
constexpr std::size_t kOverread = 32;
static_assert(kOverread <= simdjson::SIMDJSON_PADDING);

// ---- The quick check ----
//
// Most stored texts are readings the store wrote itself, and consecutive ones differ only in
// their values. The quick check accepts a text without the full parser when it is certainly
// JSON that the parser accepts too; when it cannot tell, the parser decides, so what is copied
// and what is left out is exactly what the parser alone would choose. Everything it accepts is
// strict JSON within the parser's limits: strings with only the short escapes (a \u escape is
// left to the parser) and valid UTF-8, integers of at most 18 digits, other numbers with at most
// 20 integer and 40 fraction digits and a two-digit exponent (finite, never a denormal), at most
// 256 levels of nesting, an object or array at the top, at most 64 KiB.
//
// Every check reads a text that is followed by a NUL and kOverread readable bytes; the NUL ends
// every scan that would run past the text, since it can be no part of JSON.

constexpr int kQuickDepth = 256;
// Longer texts (no reading comes near) go to the parser, which keeps the model's memory small.
constexpr std::size_t kQuickSize = 64 << 10;

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

const char* skipSpace(const char* p) {
  while (isSpace(*p)) ++p;
  return p;
}

// A string at `p` (its opening quote); moves `p` past its closing quote. Control characters and
// the NUL end it unsuccessfully; UTF-8 is checked by the caller.
bool scanString(const char*& p) {
  ++p;
  for (;;) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i stops = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
        _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xE0))),
                       _mm_setzero_si128()));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    if (mask == 0) {
      p += 16;
      continue;
    }
    p += __builtin_ctz(mask);
#else
    while (*p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20) ++p;
#endif
    if (*p == '"') {
      ++p;
      return true;
    }
    if (*p != '\\') return false;
    switch (p[1]) {
      case '"': case '\\': case '/': case 'b': case 'f': case 'n': case 'r': case 't':
        p += 2;
        break;
      default:
        return false;
    }
  }
}

bool scanNumber(const char*& p) {
  if (*p == '-') ++p;
  const char* const whole = p;
  if (*p == '0') {
    ++p;
  } else if (isDigit(*p)) {
    while (isDigit(*p)) ++p;
  } else {
    return false;
  }
  const auto wholeDigits = p - whole;
  if (*p != '.' && *p != 'e' && *p != 'E') return wholeDigits <= 18;
  if (wholeDigits > 20) return false;
  if (*p == '.') {
    const char* const fraction = ++p;
    while (isDigit(*p)) ++p;
    if (p == fraction || p - fraction > 40) return false;
  }
  if (*p == 'e' || *p == 'E') {
    ++p;
    if (*p == '+' || *p == '-') ++p;
    const char* const exponent = p;
    while (isDigit(*p)) ++p;
    if (p == exponent || p - exponent > 2) return false;
  }
  return true;
}

bool scanWord(const char*& p, std::string_view word) {
  if (std::memcmp(p, word.data(), word.size()) != 0) return false;
  p += word.size();
  return true;
}

// A value that is no object or array (only a string where a key stands).
bool scanScalar(const char*& p, bool key) {
  switch (*p) {
    case '"':
      return scanString(p);
    case 't':
      return !key && scanWord(p, "true");
    case 'f':
      return !key && scanWord(p, "false");
    case 'n':
      return !key && scanWord(p, "null");
    default:
      return !key && scanNumber(p);
  }
}

// Where a key, string, number, true, false or null stands in a text.
struct Token {
  std::uint32_t begin;
  std::uint32_t end;
  bool key;
};

// The whole text's grammar, noting each scalar's place in `tokens`.
bool scanDocument(const char* text, std::size_t size, std::vector<Token>& tokens) {
  const char* p = skipSpace(text);
  if (*p != '{' && *p != '[') return false;
  bool inObject[kQuickDepth];
  int depth = 0;
  bool key = false;
  const auto note = [&](const char* begin) {
    tokens.push_back({static_cast<std::uint32_t>(begin - text),
                      static_cast<std::uint32_t>(p - text), key});
  };
  for (;;) {
    // A value (or, in an object, a key and its value) is next.
    p = skipSpace(p);
    if (!key && (*p == '{' || *p == '[')) {
      if (depth == kQuickDepth) return false;
      const bool object = *p == '{';
      inObject[depth++] = object;
      p = skipSpace(p + 1);
      if (*p == (object ? '}' : ']')) {
        ++p;
        --depth;
      } else {
        key = object;
        continue;
      }
    } else {
      const char* const begin = p;
      if (!scanScalar(p, key)) return false;
      note(begin);
      if (key) {
        p = skipSpace(p);
        if (*p++ != ':') return false;
        key = false;
        continue;
      }
    }
    // After a value: a comma, the end of its object or array, or the end of the text.
    for (;;) {
      p = skipSpace(p);
      if (depth == 0) return p == text + size && simdjson::validate_utf8(text, size);
      if (*p == ',') {
        ++p;
        key = inObject[depth - 1];
        break;
      }
      if (*p != (inObject[depth - 1] ? '}' : ']')) return false;
      ++p;
      --depth;
    }
  }
}

// The first place from `a` and `b` on where two texts differ, or where either ends.
void skipSame(const char*& a, const char* aEnd, const char*& b, const char* bEnd) {
#if defined(__SSE2__)
  while (aEnd - a >= 16 && bEnd - b >= 16) {
    const auto same = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)))));
    if (same != 0xFFFF) {
      const int at = __builtin_ctz(~same);
      a += at;
      b += at;
      return;
    }
    a += 16;
    b += 16;
  }
#endif
  while (a < aEnd && b < bEnd && *a == *b) {
    ++a;
    ++b;
  }
}

// A text is compared with the last one the quick check read in full (the model): where they
// differ only inside scalars, and each differing scalar of the text is one that the quick
// check accepts (a string for a key), the text has the model's structure and is accepted.
// Anything else is read in full, and when that succeeds the text becomes the model.
class QuickCheck {
 public:
  // True: the parser accepts the text. False: not known.
  // REQUIRES: text[size] is NUL, followed by kOverread - 1 readable bytes.
  bool accepts(const char* text, std::size_t size) {
    if (size > kQuickSize) return false;
    if (!model_.empty() && sameShape(text, size)) return true;
    scratch_.clear();
    if (!scanDocument(text, size, scratch_)) return false;
    model_.assign(text, size);
    tokens_.swap(scratch_);
    return true;
  }

 private:
  bool sameShape(const char* text, std::size_t size) const {
    const char* const model = model_.data();
    const char* m = model;
    const char* n = text;
    std::size_t next = 0;  // the first token that may still differ
    for (;;) {
      skipSame(m, model + model_.size(), n, text + size);
      if (m == model + model_.size() && n == text + size) return true;
      const auto at = static_cast<std::uint32_t>(m - model);
      while (next < tokens_.size() && tokens_[next].end < at) ++next;
      if (next == tokens_.size() || tokens_[next].begin > at) return false;
      const Token& token = tokens_[next++];
      // The texts are equal up to here, so the text's scalar starts as far from the point of
      // difference as the model's does.
      const char* const begin = n - (at - token.begin);
      n = begin;
      if (!scanScalar(n, token.key)) return false;
      if (*begin == '"' && !simdjson::validate_utf8(begin, static_cast<std::size_t>(n - begin))) {
        return false;
      }
      m = model + token.end;
    }
  }

  std::string model_;
  std::vector<Token> tokens_;
  std::vector<Token> scratch_;
};

}  // namespace

// simdjson's validating parser: strict JSON with valid UTF-8. What it refuses beyond the grammar
// (integers past 64 bits, numbers past the double range, escaped lone surrogates, nesting deeper
// than 1024 levels) never comes from the store's own writer, so refusing it only ever drops a
// foreign row, never a reading. The quick check spares it the texts it is sure of.
struct ExportWriter::Validator {
  simdjson::dom::parser parser;
  QuickCheck quick;
};

ExportWriter::ExportWriter(Sink sink)
    : sink_(std::move(sink)),
      validator_(std::make_unique<Validator>()),
      piece_(std::make_unique<char[]>(kPieceSize + simdjson::SIMDJSON_PADDING)) {}

ExportWriter::~ExportWriter() = default;

bool ExportWriter::valid(std::string_view json) {
  return validator_->parser.parse(json.data(), json.size()).error() == simdjson::SUCCESS;
}

void ExportWriter::put(std::string_view bytes) {
  if (used_ + bytes.size() > kPieceSize) flush();
  if (bytes.size() > kPieceSize) {
    sink_(bytes);
    return;
  }
  std::memcpy(piece_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void ExportWriter::flush() {
  if (used_ == 0) return;
  sink_(std::string_view(piece_.get(), used_));
  used_ = 0;
}

void ExportWriter::device(std::optional<std::string_view> json) {
  put(kHeader);
  if (json && !valid(*json)) {
    ++skipped_;
    json.reset();
  }
  put(json ? *json : "null");
  put(",\"samples\":[");
}

void ExportWriter::sample(std::optional<std::string_view> json) {
  if (!json) {
    ++skipped_;
    return;
  }
  const std::size_t separator = samples_ > 0 ? 1 : 0;
  if (separator + json->size() > kPieceSize) {  // a text larger than a piece is checked in place
    if (!valid(*json)) {
      ++skipped_;
      return;
    }
    if (separator) put(",");
    put(*json);
    ++samples_;
    return;
  }
  if (used_ + separator + json->size() > kPieceSize) flush();
  // Copied behind the piece's end first and checked there, where the padding both checks need
  // follows it; a text that is not JSON never becomes part of the piece.
  char* const text = piece_.get() + used_ + separator;
  std::memcpy(text, json->data(), json->size());
  text[json->size()] = '\0';
  if (!validator_->quick.accepts(text, json->size()) &&
      validator_->parser.parse(text, json->size(), false).error() != simdjson::SUCCESS) {
    ++skipped_;
    return;
  }
  if (separator) piece_[used_] = ',';
  used_ += separator + json->size();
  ++samples_;
}

void ExportWriter::enterEvents() {
  if (inEvents_) return;
  inEvents_ = true;
  put("],\"events\":[");
}

void ExportWriter::event(const Row& row) {
  enterEvents();
  scratch_.assign(firstEvent_ ? "{" : ",{");
  firstEvent_ = false;
  bool firstMember = true;
  for (const auto& [key, value] : row) {
    if (!firstMember) scratch_.push_back(',');
    firstMember = false;
    JsonWriter::appendString(scratch_, key);
    scratch_.push_back(':');
    JsonWriter::appendString(scratch_, value);
  }
  scratch_.push_back('}');
  put(scratch_);
}

void ExportWriter::finish() {
  enterEvents();
  put("]}");
  flush();
}

}  // namespace tempyra
