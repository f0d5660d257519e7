#include "picture_file.h"

#include "form/picture_file_check.h"

namespace brivet::win32 {

ComPtr<IPicture> LoadPictureFile(const Text& path) {
  UniqueFile file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME)
      throw Error(Fault::FileNotFound);
    throw Error(Fault::PathFileAccess);
  }
  const Error invalid(Fault::InvalidPicture);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 256 * 1024 * 1024)
    throw invalid;
  const auto bytes = static_cast<DWORD>(size.QuadPart);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) throw Error(Fault::OutOfMemory);
  {
    void* data = GlobalLock(memory.get());
    DWORD read = 0;
    const BOOL ok = data && ReadFile(file.get(), data, bytes, &read, nullptr) && read == bytes;
    const bool picture = ok && form::CheckPictureFile({static_cast<const unsigned char*>(data), bytes}) !=
                                   form::PictureFormat::None;
    GlobalUnlock(memory.get());
    if (!ok) throw Error(Fault::PathFileAccess);
    if (!picture) throw invalid;
  }
  ComScope com;  // the decoders are COM objects
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) throw invalid;
  memory.release();  // the stream frees it
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.ReleaseAndGetAddressOf()))) ||
      !picture)
    throw invalid;
  return picture;
}

}  // namespace brivet::win32
