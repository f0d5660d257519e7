// The picture header check reads untrusted files: any bytes give an answer
// without a read outside them (the sanitizers stop on one), and a file it
// accepts stays accepted with bytes appended, as a decoder ignores them.
#include <cstdint>
#include <vector>

#include "form/picture_file_check.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using brivet::form::CheckPictureFile;
  using brivet::form::PictureFormat;
  const PictureFormat format = CheckPictureFile({data, size});
  if (format != PictureFormat::None) {
    std::vector<unsigned char> longer(data, data + size);
    longer.push_back(0);
    if (CheckPictureFile(longer) != format) brivet::fuzz::Broken("a trailing byte changed the answer");
  }
  return 0;
}
