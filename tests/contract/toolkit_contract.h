#pragma once

#include <filesystem>

#include "contract.h"
#include "form/toolkit.h"

namespace brivet::contract {

// Runs the toolkit cases on forms of `toolkit`, writing picture files into
// `scratch`, a folder the suite may fill and empty. Shows no window.
void ToolkitContract(Checker& c, form::Toolkit& toolkit, const std::filesystem::path& scratch);

}  // namespace brivet::contract
