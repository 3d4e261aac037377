// Writes the sample DLL files into the folder named by its one argument.
#include <cstdio>
#include <fstream>
#include <string>

#include "sample_dll.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  const struct {
    const char* name;
    SampleKind kind;
  } samples[] = {
      {"fine.dll", SampleKind::Fine},
      {"recompile.dll", SampleKind::Recompile},
      {"version5.dll", SampleKind::Version5},
      {"plain.dll", SampleKind::NoHeader},
  };
  for (const auto& sample : samples) {
    const std::string path = std::string(argv[1]) + "/" + sample.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << MakeSampleDll(sample.kind);
    if (!out.flush()) {
      std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
