// system_text [CODE...]: how this system names what the reports name. A line "machine", a tab
// and the machine's name, then a line for each CODE (decimal, or an HRESULT as 0x...): the
// code, a tab, and the error as a report gives it.
#include <cstdio>
#include <string>

#include "support/system_text.h"

int main(int argc, char** argv) {
  std::printf("machine\t%s\n", MachineName().c_str());
  for (int i = 1; i < argc; ++i) {
    const std::string code = argv[i];
    const DWORD number = static_cast<DWORD>(std::stoul(code, nullptr, 0));
    std::printf("%s\t%s\n", argv[i], ErrorText(number, code.starts_with("0x")).c_str());
  }
}
