// The machine name made from any host name: at most 15 bytes, no dot, no lower-case ASCII
// letter, and otherwise the host name's own bytes up to its first dot.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/host_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view host(reinterpret_cast<const char*>(data), size);
  const std::string name = NetBiosNameFromHostName(host);
  const std::string_view head = host.substr(0, host.find('.'));
  if (name.size() > 15 || name.size() != std::min<std::size_t>(head.size(), 15)) std::abort();
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char original = head[i];
    const char expected =
        original >= 'a' && original <= 'z' ? static_cast<char>(original - 32) : original;
    if (name[i] != expected) std::abort();
  }
  return 0;
}
