#pragma once

#include <filesystem>
#include <functional>

#include "contract.h"
#include "services/system_services.h"

namespace brivet::contract {

// Runs sequences of profile operations on files inside `scratch` (a folder
// the suite may fill and empty) and checks each answer and the file's bytes.
void ProfileContract(Checker& c, services::Profile& profile, const std::filesystem::path& scratch);

// Runs the body on another thread of the process and returns when it ends.
using OnAnotherThread = std::function<void(const std::function<void()>& body)>;

// The file's lock: held, it keeps another holder out for as long as that
// one waits; let go, the next one has it at once; and under it a read sees
// a change made behind the profile's back, even one that leaves the file's
// modification time as it was.
void ProfileLockContract(Checker& c, services::Profile& profile, const std::filesystem::path& scratch,
                         const OnAnotherThread& elsewhere);

}  // namespace brivet::contract
