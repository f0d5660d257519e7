#pragma once

#include <filesystem>

#include "contract.h"
#include "services/file_system.h"

namespace brivet::contract {

// Runs the file-system cases inside `scratch`, a folder the suite may fill
// and empty; it changes the current folder for one case and restores it.
void FileSystemContract(Checker& c, services::FileSystemFactory& factory,
                        const std::filesystem::path& scratch);

}  // namespace brivet::contract
