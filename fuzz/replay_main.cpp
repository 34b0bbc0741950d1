// SPDX-License-Identifier: MIT
// Runs a fuzz target's entry on saved inputs without libFuzzer, so that any
// compiler can build the targets and ctest can replay their corpora:
//
//   <target>_replay PATH...     files, or directories whose files are all run
//
// Every file is read whole and passed to LLVMFuzzerTestOneInput once, in name
// order within a directory. A failed invariant aborts with the message of
// fuzz/fuzz_check.h; the file being run is printed before it starts, so the
// last name printed is the reproducer. Exits 1 when a path cannot be read, an
// exception escapes the target or nothing was run.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional in a target; null when the target does not define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

// The files a path names: itself, or a directory's regular files in name order.
bool collectInputs(const fs::path& path, std::vector<fs::path>& files) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) {
    files.push_back(path);
    return true;
  }
  if (!fs::is_directory(path, error)) {
    std::fprintf(stderr, "replay: %s is neither a file nor a directory\n", path.c_str());
    return false;
  }
  std::vector<fs::path> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
    if (entry.is_regular_file()) found.push_back(entry.path());
  }
  if (error) {
    std::fprintf(stderr, "replay: cannot list %s: %s\n", path.c_str(), error.message().c_str());
    return false;
  }
  std::sort(found.begin(), found.end());
  files.insert(files.end(), found.begin(), found.end());
  return true;
}

bool readFile(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 1;
  }
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);

  std::vector<fs::path> files;
  bool readable = true;
  for (int i = 1; i < argc; ++i) readable = collectInputs(argv[i], files) && readable;

  std::size_t ran = 0;
  std::vector<std::uint8_t> bytes;
  for (const fs::path& file : files) {
    if (!readFile(file, bytes)) {
      std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
      readable = false;
      continue;
    }
    std::printf("run %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    try {
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "replay: %s: exception escaped the target: %s\n", file.c_str(), error.what());
      return 1;
    } catch (...) {
      std::fprintf(stderr, "replay: %s: exception escaped the target\n", file.c_str());
      return 1;
    }
    ++ran;
  }
  std::printf("%zu inputs run\n", ran);
  if (ran == 0) std::fprintf(stderr, "replay: no inputs\n");
  return readable && ran > 0 ? 0 : 1;
}
