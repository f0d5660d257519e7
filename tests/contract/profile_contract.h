#pragma once

#include <filesystem>

#include "contract.h"
#include "services/system_services.h"

namespace brivet::contract {

// Runs sequences of profile operations on files inside `scratch` (a folder
// the suite may fill and empty) and checks each answer and the file's bytes.
void ProfileContract(Checker& c, services::Profile& profile, const std::filesystem::path& scratch);

}  // namespace brivet::contract
