#include "sample_dll.h"

namespace {

constexpr std::size_t kSampleSize = 70000;
constexpr std::size_t kImportsAt = 0x400;
constexpr std::size_t kHeaderAt = 0x1200;

std::string DosStub() {
  std::string stub = "MZ";
  stub.resize(0x40, '\0');
  stub += "This program cannot be run in DOS mode.\r\r\n$";
  return stub;
}

void Place(std::string& file, std::size_t at, const std::string& bytes) {
  file.replace(at, bytes.size(), bytes);
}

}  // namespace

std::string MakeProjectHeader(std::uint8_t flags) {
  std::string header = "BR5!";
  header.resize(60, '\x01');
  header.push_back(static_cast<char>(flags));
  return header;
}

std::string MakeSampleDll(SampleKind kind) {
  std::string file(kSampleSize, '\0');
  Place(file, 0, DosStub());
  Place(file, kImportsAt, "KERNEL32.dll");
  switch (kind) {
    case SampleKind::Fine:
      Place(file, kImportsAt + 0x20, "BRANVM60.DLL");
      Place(file, kHeaderAt, MakeProjectHeader(0x15));
      break;
    case SampleKind::Recompile:
      Place(file, kImportsAt + 0x20, "BRANVM60.DLL");
      Place(file, kHeaderAt, MakeProjectHeader(0x11));
      break;
    case SampleKind::Version5:
      Place(file, kImportsAt + 0x20, "BRANVM50.DLL");
      Place(file, kHeaderAt, MakeProjectHeader(0x10));
      break;
    case SampleKind::NoHeader:
      Place(file, kImportsAt + 0x20, "MSVCRT.dll");
      break;
  }
  return file;
}
