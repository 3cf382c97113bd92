#include "core/utf8_text.h"

#include <cstdint>

namespace tempyra {

std::string validUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    std::size_t len = 0;
    std::uint32_t min = 0;
    if ((c & 0xE0) == 0xC0) len = 2, min = 0x80;
    else if ((c & 0xF0) == 0xE0) len = 3, min = 0x800;
    else if ((c & 0xF8) == 0xF0) len = 4, min = 0x10000;
    bool ok = len > 0 && i + len <= in.size();
    std::uint32_t cp = len ? (c & (0x7Fu >> len)) : 0;
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto cc = static_cast<unsigned char>(in[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (ok) {
      out.append(in.substr(i, len));
      i += len;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

}  // namespace tempyra
