// Pictures read from files with the platform's OLE picture loader.
#pragma once

#include <olectl.h>

#include "core/variant.h"
#include "handles.h"

namespace brivet::win32 {

// Loads a BMP, JPG, ICO or GIF file (the loader tells the kind from the
// content). Throws FileNotFound for a missing file, PathFileAccess for one
// that cannot be read and InvalidPicture for one that holds no picture.
ComPtr<IPicture> LoadPictureFile(const Text& path);

}  // namespace brivet::win32
