#include "file_system_contract.h"

#include <fstream>

namespace brivet::contract {

namespace fs = std::filesystem;

namespace {

Text Join(const fs::path& folder, std::u16string_view name) {
  return folder.u16string() + u"\\" + Text(name);
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

struct ExistsCase {
  const char* what;
  Text path;
  bool exists;
};

struct ExtensionCase {
  const char16_t* path;
  const char16_t* extension;
};

constexpr ExtensionCase kExtensions[] = {
    {u"C:\\dir\\file.txt", u"txt"},      {u"archive.tar.GZ", u"GZ"},
    {u"C:\\dir.d\\file", u""},           {u"dir.d/file", u""},
    {u"file.", u""},                     {u".profile", u"profile"},
    {u"C:name.Bmp", u"Bmp"},             {u"", u""},
    {u"no extension", u""},              {u"C:\\a.b\\c.d.wav", u"wav"},
    {u"C:\\dir\\sound.wav\\", u""},      {u"x.wav.mp3", u"mp3"},
};

}  // namespace

void FileSystemContract(Checker& c, services::FileSystemFactory& factory,
                        const fs::path& scratch) {
  c.suite = "file system";
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch / "folder.d");
  WriteFile(scratch / "plain.txt", "text");
  const std::unique_ptr<services::FileSystem> files = factory.Create();

  const ExistsCase exists[] = {
      {"a file", Join(scratch, u"plain.txt"), true},
      {"a folder", Join(scratch, u"folder.d"), false},
      {"a missing file", Join(scratch, u"missing.txt"), false},
      {"a file inside a missing folder", Join(scratch, u"missing\\plain.txt"), false},
      {"a file named with a trailing separator", Join(scratch, u"plain.txt\\"), false},
      {"the empty text", u"", false},
  };
  for (const ExistsCase& e : exists) ExpectEqual(c, std::string("FileExists: ") + e.what, e.exists, files->FileExists(e.path));
  {
    const fs::path before = fs::current_path();
    fs::current_path(scratch);
    ExpectEqual(c, "FileExists: a path relative to the current folder", true,
                files->FileExists(u"plain.txt"));
    ExpectEqual(c, "FileExists: a relative folder", false, files->FileExists(u"folder.d"));
    fs::current_path(before);
  }

  for (const ExtensionCase& e : kExtensions)
    ExpectEqual(c, "GetExtensionName(" + Narrow(e.path) + ")", Text(e.extension),
                files->GetExtensionName(e.path));

  const Text windows = files->WindowsFolder();
  ExpectEqual(c, "WindowsFolder is not empty", true, !windows.empty());
  ExpectEqual(c, "WindowsFolder has no trailing separator", false,
              !windows.empty() && (windows.back() == u'\\' || windows.back() == u'/'));
  ExpectEqual(c, "WindowsFolder names a folder", true,
              fs::is_directory(fs::path(windows), ec));

  const fs::path created = scratch / "created.ini";
  files->CreateEmptyTextFile(created.u16string());
  ExpectEqual(c, "CreateEmptyTextFile makes a file", true, fs::is_regular_file(created, ec));
  ExpectEqual(c, "CreateEmptyTextFile makes it empty", uintmax_t{0}, fs::file_size(created, ec));
  WriteFile(created, "[old]\r\nkey=value\r\n");
  files->CreateEmptyTextFile(created.u16string());
  ExpectEqual(c, "CreateEmptyTextFile keeps a file that is there", uintmax_t{18}, fs::file_size(created, ec));
  ExpectError(c, "CreateEmptyTextFile in a missing folder", Fault::PathNotFound,
              [&] { files->CreateEmptyTextFile(Join(scratch, u"missing\\x.ini")); });
  ExpectError(c, "CreateEmptyTextFile over a folder", Fault::PermissionDenied,
              [&] { files->CreateEmptyTextFile(Join(scratch, u"folder.d")); });

  fs::remove_all(scratch, ec);
}

}  // namespace brivet::contract
