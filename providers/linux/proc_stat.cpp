#include "providers/linux/proc_stat.h"

#include <charconv>
#include <utility>

namespace tempyra {
namespace {

bool parseUnsigned(std::string_view token, std::uint64_t& out) {
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), out);
  return ec == std::errc() && end == token.data() + token.size() && !token.empty();
}

}  // namespace

std::optional<ProcPidStat> parseProcPidStat(std::string_view text) {
  const auto lpar = text.find('(');
  const auto rpar = text.rfind(')');
  if (lpar == std::string_view::npos || rpar == std::string_view::npos || rpar < lpar)
    return std::nullopt;
  ProcPidStat stat;
  std::string_view pidText = text.substr(0, lpar);
  while (!pidText.empty() && pidText.back() == ' ') pidText.remove_suffix(1);
  std::uint64_t pid = 0;
  if (!parseUnsigned(pidText, pid) || pid > 0x7FFFFFFF) return std::nullopt;
  stat.pid = static_cast<std::int64_t>(pid);
  stat.comm = text.substr(lpar + 1, rpar - lpar - 1);

  // Fields after the name: token 0 is the state (field 3), token k is field k + 3.
  std::string_view rest = text.substr(rpar + 1);
  std::string_view tokens[20];
  std::size_t count = 0;
  std::size_t pos = 0;
  while (count < 20) {
    while (pos < rest.size() && (rest[pos] == ' ' || rest[pos] == '\n')) ++pos;
    if (pos >= rest.size()) break;
    std::size_t end = pos;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\n') ++end;
    tokens[count++] = rest.substr(pos, end - pos);
    pos = end;
  }
  if (count < 20 || tokens[0].size() != 1) return std::nullopt;
  stat.state = tokens[0][0];
  if (!parseUnsigned(tokens[6], stat.flags) || !parseUnsigned(tokens[11], stat.utime) ||
      !parseUnsigned(tokens[12], stat.stime) || !parseUnsigned(tokens[19], stat.startTime))
    return std::nullopt;
  // cutime and cstime are printed signed; a negative value (never seen) counts as no time.
  for (auto [token, field] : {std::pair{tokens[13], &stat.cutime}, std::pair{tokens[14], &stat.cstime}})
    if (!(token.size() > 1 && token[0] == '-') && !parseUnsigned(token, *field)) return std::nullopt;
  return stat;
}

std::optional<std::array<std::uint64_t, 4>> parseHostTicks(std::string_view text) {
  std::string_view line;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (line.substr(0, 4) == "cpu ") break;
    line = {};
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (line.empty()) return std::nullopt;

  // user nice system idle iowait irq softirq steal (guest, guest_nice are inside user, nice)
  std::uint64_t f[8] = {};
  std::size_t count = 0;
  std::size_t pos = 4;
  while (count < 8) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size()) break;
    std::size_t end = pos;
    while (end < line.size() && line[end] != ' ') ++end;
    if (!parseUnsigned(line.substr(pos, end - pos), f[count])) return std::nullopt;
    ++count;
    pos = end;
  }
  if (count < 4) return std::nullopt;
  return std::array<std::uint64_t, 4>{f[0], f[2] + f[5] + f[6] + f[7], f[3] + f[4], f[1]};
}

}  // namespace tempyra
