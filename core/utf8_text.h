#pragma once
// Text from outside (process names, firmware strings, driver labels) may hold any bytes; what
// the engine stores and shows is valid UTF-8.
#include <string>
#include <string_view>

namespace tempyra {

// The text with every invalid UTF-8 sequence (overlong forms and surrogates included) replaced
// by U+FFFD.
std::string validUtf8(std::string_view raw);

}  // namespace tempyra
