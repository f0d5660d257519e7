// A fuzz target as a test: every input of its corpus, then a fixed number of
// variations of them drawn from a fixed seed, with no coverage feedback, so
// every run executes the same inputs in the same order and gives the same
// result. The long, guided runs are libFuzzer's (scripts/fuzz-native.sh).
//   <target>_replay <seed> <runs> <corpus folder> <artifact prefix>
// An input that stops the target is written to <artifact prefix>crash-input
// first; the target built for libFuzzer replays it.
#include <sanitizer/common_interface_defs.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMaxLength = 4096;

std::string g_artifact;
Bytes g_current;

void SaveCurrent() {
  if (FILE* f = std::fopen(g_artifact.c_str(), "wb")) {
    std::fwrite(g_current.data(), 1, g_current.size(), f);
    std::fclose(f);
    std::fprintf(stderr, "the input is in %s\n", g_artifact.c_str());
  }
}

void OnSignal(int signal) {
  SaveCurrent();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void Run(const Bytes& input) {
  g_current = input;
  LLVMFuzzerTestOneInput(g_current.data(), g_current.size());
}

// One to four edits: a bit, a byte, an edge value, an insertion, a deletion
// or a piece of another input.
Bytes Varied(Bytes in, const std::vector<Bytes>& corpus, std::mt19937_64& random) {
  static constexpr uint8_t kEdges[] = {0x00, 0x01, 0x7f, 0x80, 0xff};
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits; ++e) {
    const size_t at = in.empty() ? 0 : random() % in.size();
    switch (random() % 6) {
      case 0: if (!in.empty()) in[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
      case 1: if (!in.empty()) in[at] = static_cast<uint8_t>(random()); break;
      case 2: if (!in.empty()) in[at] = kEdges[random() % std::size(kEdges)]; break;
      case 3: in.insert(in.begin() + static_cast<std::ptrdiff_t>(random() % (in.size() + 1)),
                        static_cast<uint8_t>(random())); break;
      case 4: if (!in.empty()) in.erase(in.begin() + static_cast<std::ptrdiff_t>(at)); break;
      default: {
        const Bytes& other = corpus[random() % corpus.size()];
        if (other.empty()) break;
        const size_t from = random() % other.size();
        const size_t n = 1 + random() % (other.size() - from);
        in.insert(in.begin() + static_cast<std::ptrdiff_t>(random() % (in.size() + 1)),
                  other.begin() + static_cast<std::ptrdiff_t>(from),
                  other.begin() + static_cast<std::ptrdiff_t>(from + n));
      }
    }
  }
  if (in.size() > kMaxLength) in.resize(kMaxLength);
  return in;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s <seed> <runs> <corpus folder> <artifact prefix>\n", argv[0]);
    return 2;
  }
  const uint64_t seed = std::strtoull(argv[1], nullptr, 10);
  const long runs = std::atol(argv[2]);
  g_artifact = std::string(argv[4]) + "crash-input";

  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(argv[3]))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());  // the same order on every machine
  std::vector<Bytes> corpus;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (corpus.empty()) corpus.emplace_back();

  __sanitizer_set_death_callback(SaveCurrent);
  for (int signal : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS}) std::signal(signal, OnSignal);

  for (const Bytes& input : corpus) Run(input);
  // Half the variations build on the one before, to reach further.
  std::mt19937_64 random(seed);
  Bytes last = corpus.front();
  for (long i = 0; i < runs; ++i) {
    last = Varied(random() % 2 ? last : corpus[random() % corpus.size()], corpus, random);
    Run(last);
  }
  std::printf("%zu inputs of the corpus and %ld variations (seed %llu): no fault\n", corpus.size(), runs,
              static_cast<unsigned long long>(seed));
  return 0;
}
