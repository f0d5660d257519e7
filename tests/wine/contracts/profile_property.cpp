// The settings routines on the system's profile functions, against the model
// of the settings. Arguments: the number of sequences (default 100); the
// seed comes from BRIVET_PROFILE_SEED, else it is fixed for the default run
// and fresh for a given number. Prints the figures, one
// line per failure, and exits non-zero when there is one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "file_system_win32.h"
#include "profile_property.h"
#include "services_win32.h"

namespace {

class PrintingChecker final : public brivet::contract::Checker {
 public:
  void Failed(const std::string& message) override { std::printf("FAIL %s\n", message.c_str()); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  PrintingChecker checker;
  const int sequences = argc > 1 ? _wtoi(argv[1]) : brivet::contract::PropertySequences(100);
  const uint64_t seed = brivet::contract::PropertySeed(argc > 1 || std::getenv("BRIVET_PROFILE_SEQUENCES"));
  brivet::win32::Win32FileSystemFactory files;
  brivet::win32::Win32Profile profile;
  const auto scratch = std::filesystem::temp_directory_path() /
                       ("brivet-profile-property-" + std::to_string(GetCurrentProcessId()));
  const brivet::contract::PropertyFigures figures =
      brivet::contract::ProfileProperty(checker, files, profile, scratch, seed, sequences);
  std::printf("seed %llu: %d sequences, %d steps, %d writes refused\n",
              static_cast<unsigned long long>(seed), figures.sequences, figures.steps, figures.refused);
  return checker.failures ? 1 : 0;
}
