// Runs a fuzz target without libFuzzer: over the files and folders named on the command line,
// then over a fixed number of pseudo-random inputs, so that every build exercises the targets.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p(argv[i]);
    if (std::filesystem::is_directory(p)) {
      for (const auto& e : std::filesystem::directory_iterator(p)) {
        RunFile(e.path());
        ++files;
      }
    } else {
      RunFile(p);
      ++files;
    }
  }
  // Random inputs biased towards the bytes parsers care about.
  static const std::uint8_t kInteresting[] = {'\r', '\n', '0',  '9',  '-',  '+',  '.',  'e',  ' ',
                                              0xC3, 0xA9, 0xEF, 0xBB, 0xBF, 0x80, 0xFF, 0xF0, 0};
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; ++round) {
    std::vector<std::uint8_t> input(rng() % 48);
    for (auto& b : input) {
      b = (rng() % 2) ? kInteresting[rng() % sizeof kInteresting]
                      : static_cast<std::uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("ran %d files and 20000 generated inputs\n", files);
  return 0;
}
