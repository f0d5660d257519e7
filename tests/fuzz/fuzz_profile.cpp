// The portable settings file on any bytes: reads stay inside their buffer, a
// write reads back, every other byte of the file is kept, and a delete
// leaves the file as it was before the write.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "fuzz_input.h"
#include "profile_portable.h"

namespace brivet::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path& Scratch() {
  static const fs::path file =
      fs::temp_directory_path() / ("brivet-fuzz-profile-" + std::to_string(::getpid()) + ".ini");
  return file;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A name or value a script would write: letters and digits only, never empty.
Text Word(Input& in, const char* fallback) {
  Text word;
  const size_t length = in.Take<uint8_t>() % 12;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t b = in.Take<uint8_t>() % 36;
    word += static_cast<char16_t>(b < 10 ? u'0' + b : u'a' + (b - 10));
  }
  return word.empty() ? T(fallback) : word;
}

bool ContainsIgnoringCase(const std::string& bytes, const std::string& lower) {
  std::string folded = bytes;
  for (char& c : folded) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return folded.find(lower) != std::string::npos;
}

}  // namespace
}  // namespace brivet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brivet;
  namespace fs = std::filesystem;
  fuzz::Input in(data, size);
  const int32_t buffer = 1 + in.Take<uint8_t>();
  const Text probe_section = fuzz::Word(in, "s");
  const Text probe_key = fuzz::Word(in, "k");
  const Text value = fuzz::Word(in, "v");
  const std::string original = in.Bytes();
  const fs::path& file = fuzz::Scratch();
  { std::ofstream(file, std::ios::binary | std::ios::trunc) << original; }
  const Text path = T(file.string());
  headless::PortableProfile profile;

  Text out;
  const int32_t length = profile.Read(probe_section, probe_key, u"fallback", out, buffer, path);
  if (length != static_cast<int32_t>(out.size()) || length >= buffer)
    fuzz::Broken("a read overran its buffer or misreported its length");

  // A section and key of its own: added at the end, so the old bytes stay in front.
  const Text section = u"fuzzsection" + probe_section;
  const Text key = u"fuzzkey" + probe_key;
  if (!profile.Write(section, key, value, path)) fuzz::Broken("a write into a scratch file failed");
  if (profile.Read(section, key, u"", out, 255, path) != static_cast<int32_t>(value.size()) || out != value)
    fuzz::Broken("a written setting does not read back");
  const std::string written = fuzz::Contents(file);
  const bool unrelated = !fuzz::ContainsIgnoringCase(original, "fuzzsection");
  if (unrelated && written.compare(0, original.size(), original) != 0)
    fuzz::Broken("a write changed bytes of other settings");

  if (!profile.Write(section, key, std::nullopt, path)) fuzz::Broken("a delete failed");
  if (profile.Read(section, key, u"gone", out, 255, path) != 4 || out != u"gone")
    fuzz::Broken("a deleted setting still reads");
  std::error_code ec;
  fs::remove(file, ec);
  return 0;
}
