#pragma once
// Reading /proc and /sys attributes. Sizes reported by stat() lie for these files (0 or 4096),
// so every read goes to end of file; a read that fails (EIO, ENODATA, EISDIR, ...) is "no value
// this time", never an error.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tempyra {

// The whole file, at most `limit` bytes; absent when it cannot be opened or read.
std::optional<std::string> readFileText(const std::string& path, std::size_t limit = 65536);

// The file's text without trailing whitespace (the newline of a sysfs attribute).
std::optional<std::string> readAttribute(const std::string& path);

// A decimal integer with nothing after it but whitespace; absent for malformed text.
std::optional<std::int64_t> parseInteger(std::string_view text);
std::optional<std::int64_t> readInteger(const std::string& path);

// Names of the entries of a directory (no "." or ".."), sorted with embedded numbers compared
// by value (hwmon2 before hwmon10); empty when the directory cannot be read.
std::vector<std::string> listDirectory(const std::string& path);

// `root` joined with a path below it, as text ("/" + "proc/stat" -> "/proc/stat").
std::string underRoot(const std::filesystem::path& root, std::string_view relative);

// prefix + decimal n + suffix ("fan" 2 "_input" -> "fan2_input").
std::string numbered(std::string_view prefix, std::int64_t n, std::string_view suffix = {});

}  // namespace tempyra
