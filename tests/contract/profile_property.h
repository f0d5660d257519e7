#pragma once

#include <cstdint>
#include <filesystem>

#include "contract.h"
#include "services/file_system.h"
#include "services/system_services.h"

namespace brivet::contract {

// Random sequences of saves, reads and deletions through the settings
// routines, with sections, keys and values made of hostile texts, checked
// after every step against a model of the settings: a refused write leaves
// the file byte for byte as it was (or absent), an accepted one reads back
// as stored under the script's own texts, and every other setting still
// reads as before. The settings file lives in `scratch`, standing in for
// the Windows folder. Stops at the first failing sequence.
struct PropertyFigures {
  int sequences = 0;
  int steps = 0;
  int refused = 0;  // writes and deletions answered -1
};

PropertyFigures ProfileProperty(Checker& c, services::FileSystemFactory& files,
                                services::Profile& profile, const std::filesystem::path& scratch,
                                uint64_t seed, int sequences);

// The seed from BRIVET_PROFILE_SEED, else a fixed one for the tests' short
// run and a fresh one for a long run; the count from
// BRIVET_PROFILE_SEQUENCES, else `fallback`.
uint64_t PropertySeed(bool long_run);
int PropertySequences(int fallback);

}  // namespace brivet::contract
