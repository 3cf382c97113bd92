#include "history/export_writer.h"

#include <simdjson.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/json_writer.h"

namespace tempyra {

namespace {

constexpr std::string_view kHeader =
    R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC","device":)";

// One piece being filled, one waiting, one being checked and written: enough for both threads to
// keep busy when either is briefly slower.
constexpr int kPiecesInFlight = 3;

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

// Sample texts as the calling thread copies them: one byte kept free for a separator, then each
// text followed by a NUL, then the padding that both checks read past a text's end. A text larger
// than a piece gets a piece of its own, which shrinks back when it is reused.
struct ExportWriter::Piece {
  struct Text {
    std::size_t begin;
    std::size_t size;
  };

  explicit Piece(std::size_t pieceSize)
      : normal(1 + pieceSize + simdjson::SIMDJSON_PADDING), bytes(normal) {}

  void add(std::string_view text) {
    const std::size_t end = used + text.size();
    if (end + 1 + simdjson::SIMDJSON_PADDING > bytes.size()) {
      bytes.resize(end + 1 + simdjson::SIMDJSON_PADDING);
    }
    std::memcpy(bytes.data() + used, text.data(), text.size());
    bytes[end] = '\0';
    texts.push_back({used, text.size()});
    used = end + 1;
  }

  void reset() {
    texts.clear();
    used = 1;
    if (bytes.size() > normal) {
      bytes.resize(normal);
      bytes.shrink_to_fit();
    }
  }

  const std::size_t normal;
  std::vector<char> bytes;
  std::vector<Text> texts;
  std::size_t used = 1;
};

// The pieces between the two threads, all under `lock`. The calling thread queues each full piece
// in `full` and takes an empty one from `free`, waiting while there is none; the writer's thread
// takes the full ones in order and gives each back to `free` once written. `last`: no piece will
// follow the queued ones. `stop`: the writer is being destroyed; what is queued is dropped.
struct ExportWriter::Pieces {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::unique_ptr<Piece>> full;
  std::vector<std::unique_ptr<Piece>> free;
  bool last = false;
  bool stop = false;
};

ExportWriter::ExportWriter(Sink sink, std::size_t pieceSize)
    : sink_(std::move(sink)),
      pieceSize_(pieceSize),
      validator_(std::make_unique<Validator>()),
      pieces_(std::make_unique<Pieces>()),
      filling_(std::make_unique<Piece>(pieceSize)) {}

ExportWriter::~ExportWriter() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard guard(pieces_->lock);
    pieces_->stop = true;
  }
  pieces_->changed.notify_all();
  thread_.join();
}

void ExportWriter::send(std::string_view bytes) {
  if (good() && !sink_(bytes)) failed_.store(true, std::memory_order_relaxed);
}

void ExportWriter::put(std::string_view bytes) {
  text_.append(bytes);
  if (text_.size() >= pieceSize_) flush();
}

void ExportWriter::flush() {
  if (!text_.empty()) send(text_);
  text_.clear();
}

void ExportWriter::device(std::optional<std::string_view> json) {
  put(kHeader);
  // The writer's thread has not started yet: the validator is still this thread's.
  if (json && validator_->parser.parse(json->data(), json->size()).error() != simdjson::SUCCESS) {
    ++skipped_;
    json.reset();
  }
  put(json ? *json : "null");
  put(",\"samples\":[");
  flush();  // ahead of the samples, which the writer's thread writes
}

void ExportWriter::sample(std::optional<std::string_view> json) {
  if (!json) {
    ++nulls_;
    return;
  }
  if (!good()) return;
  if (!filling_->texts.empty() && filling_->used + json->size() > pieceSize_) handOver(false);
  filling_->add(*json);
}

void ExportWriter::handOver(bool last) {
  if (!thread_.joinable() && !alone_) {
    for (int i = 1; i < kPiecesInFlight; ++i) {
      pieces_->free.push_back(std::make_unique<Piece>(pieceSize_));
    }
    try {
      thread_ = std::thread(&ExportWriter::work, this);
    } catch (const std::system_error&) {
      alone_ = true;  // no thread to be had (out of threads): the export only takes longer
    }
  }
  if (alone_) {
    if (good()) writeSamples(*filling_);
    filling_->reset();
    return;
  }
  std::unique_lock lock(pieces_->lock);
  pieces_->full.push_back(std::move(filling_));
  pieces_->last = last;
  pieces_->changed.notify_all();
  if (last) return;
  pieces_->changed.wait(lock, [this] { return !pieces_->free.empty(); });
  filling_ = std::move(pieces_->free.back());
  pieces_->free.pop_back();
  lock.unlock();
  filling_->reset();
}

void ExportWriter::work() {
  for (;;) {
    std::unique_ptr<Piece> piece;
    {
      std::unique_lock lock(pieces_->lock);
      pieces_->changed.wait(
          lock, [this] { return pieces_->stop || pieces_->last || !pieces_->full.empty(); });
      if (pieces_->stop || pieces_->full.empty()) return;
      piece = std::move(pieces_->full.front());
      pieces_->full.pop_front();
    }
    if (good()) writeSamples(*piece);
    {
      const std::lock_guard guard(pieces_->lock);
      pieces_->free.push_back(std::move(piece));
    }
    pieces_->changed.notify_all();
  }
}

// Each text is checked where it was copied, and the kept ones are moved down over the gaps of
// those left out, each after its separator (which takes the place of the NUL before it, or the
// piece's first byte). Mostly nothing is left out, and only the separators are written.
void ExportWriter::writeSamples(Piece& piece) {
  char* const bytes = piece.bytes.data();
  std::size_t end = 0;  // the end of the kept bytes, never past the text being checked
  for (const auto& [begin, size] : piece.texts) {
    const char* const text = bytes + begin;
    if (!validator_->quick.accepts(text, size) &&
        validator_->parser.parse(text, size, false).error() != simdjson::SUCCESS) {
      ++skipped_;
      continue;
    }
    if (samples_++ > 0) bytes[end++] = ',';
    if (end != begin) std::memmove(bytes + end, text, size);
    end += size;
  }
  if (end > 0) send(std::string_view(bytes, end));
}

void ExportWriter::enterEvents() {
  if (inEvents_) return;
  inEvents_ = true;
  if (thread_.joinable() || !filling_->texts.empty()) {
    handOver(true);
    if (thread_.joinable()) thread_.join();
  }
  put("],\"events\":[");
}

void ExportWriter::event(const Row& row) {
  enterEvents();
  text_.append(firstEvent_ ? "{" : ",{");
  firstEvent_ = false;
  bool firstMember = true;
  for (const auto& [key, value] : row) {
    if (!firstMember) text_.push_back(',');
    firstMember = false;
    JsonWriter::appendString(text_, key);
    text_.push_back(':');
    JsonWriter::appendString(text_, value);
  }
  text_.push_back('}');
  if (text_.size() >= pieceSize_) flush();
}

void ExportWriter::finish() {
  enterEvents();
  put("]}");
  flush();
}

}  // namespace tempyra
