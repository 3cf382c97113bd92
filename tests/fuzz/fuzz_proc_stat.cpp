// The /proc parsers see whatever the kernel (or a process naming itself) puts in the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "providers/linux/proc_stat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto stat = tempyra::parseProcPidStat(text)) {
    // The name lies inside the input.
    if (stat->comm.data() < text.data() ||
        stat->comm.data() + stat->comm.size() > text.data() + text.size())
      __builtin_trap();
  }
  (void)tempyra::parseHostTicks(text);
  return 0;
}
