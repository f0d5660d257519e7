#include "profile_contract.h"

#include <chrono>
#include <fstream>
#include <vector>

namespace brivet::contract {

namespace fs = std::filesystem;

namespace {

// One operation and its expected answer: for a read the text and count
// copied, for a write or deletion whether it succeeded.
struct Step {
  enum class Op { Read, Write, Delete } op;
  const char16_t* section;
  const char16_t* key;
  Text value;       // Write: the value; Read: the expected text
  int32_t answer;   // Read: characters copied; Write, Delete: 1 success, 0 failure
  int32_t buffer = 255;
};

Step Read(const char16_t* s, const char16_t* k, Text expected, int32_t copied, int32_t buffer = 255) {
  return {Step::Op::Read, s, k, std::move(expected), copied, buffer};
}
Step Write(const char16_t* s, const char16_t* k, Text value) { return {Step::Op::Write, s, k, std::move(value), 1}; }
Step Delete(const char16_t* s, const char16_t* k) { return {Step::Op::Delete, s, k, {}, 1}; }

struct Sequence {
  const char* what;
  std::string before;  // the file's bytes at the start
  std::vector<Step> steps;
  std::string after;   // the file's bytes at the end
};

const Text kLong(300, u'x');

std::vector<Sequence> Sequences() {
  return {
      {"first setting in an empty file", "",
       {Write(u"Colours", u"Back", u"FF8000"), Read(u"colours", u"BACK", u"FF8000", 6)},
       "[Colours]\r\nBack=FF8000\r\n"},
      {"absent section, absent key and empty value give the default or nothing", "[s]\r\nempty=\r\n",
       {Read(u"t", u"k", u"NA", 2), Read(u"s", u"k", u"NA", 2), Read(u"s", u"empty", u"", 0)},
       "[s]\r\nempty=\r\n"},
      {"a second key and a second section", "",
       {Write(u"a", u"one", u"1"), Write(u"b", u"two", u"2"), Write(u"A", u"three", u"3"),
        Read(u"a", u"three", u"3", 1), Read(u"B", u"Two", u"2", 1)},
       "[a]\r\none=1\r\nthree=3\r\n[b]\r\ntwo=2\r\n"},
      {"a new value replaces the old one under the old spelling", "[Sect]\r\nKey=old\r\n",
       {Write(u"SECT", u"key", u"new"), Read(u"sect", u"KEY", u"new", 3)},
       "[Sect]\r\nKey=new\r\n"},
      {"the empty text is stored as an empty value", "",
       {Write(u"s", u"k", u""), Read(u"s", u"k", u"", 0)},
       "[s]\r\nk=\r\n"},
      {"deleting removes the key's line only", "[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n",
       {Delete(u"S", u"A"), Read(u"s", u"a", u"NA", 2), Delete(u"s", u"missing"),
        Delete(u"missing", u"a"), Read(u"t", u"c", u"3", 1)},
       "[s]\r\nb=2\r\n[t]\r\nc=3\r\n"},
      {"a long value comes back cut to the buffer less one", "",
       {Write(u"s", u"k", kLong), Read(u"s", u"k", Text(254, u'x'), 254),
        Read(u"s", u"k", u"xxxx", 4, 5)},
       std::string("[s]\r\nk=").append(300, 'x').append("\r\n")},
      {"spaces around names and values are not part of them", "[ s ]\r\n k = v w \r\n",
       {Read(u"s", u"k", u"v w", 3)},
       "[ s ]\r\n k = v w \r\n"},
      {"comments and other sections stay as they are", "; note\r\n[s]\r\nk=1\r\n[t]\r\nx=1\r\n",
       {Write(u"s", u"k", u"2"), Write(u"s", u"n", u"3"), Read(u"s", u"n", u"3", 1)},
       "; note\r\n[s]\r\nk=2\r\nn=3\r\n[t]\r\nx=1\r\n"},
      {"texts in the ANSI code page", "",
       {Write(u"s", u"caf\u00e9", u"\u00c4\u00d6\u00dc\u20ac"), Read(u"S", u"caf\u00e9", u"\u00c4\u00d6\u00dc\u20ac", 4),
        Write(u"s", u"han", u"\u4e2d"), Read(u"s", u"han", u"?", 1)},
       "[s]\r\ncaf\xE9=\xC4\xD6\xDC\x80\r\nhan=?\r\n"},
  };
}

}  // namespace

void ProfileContract(Checker& c, services::Profile& profile, const fs::path& scratch) {
  c.suite = "profile";
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch);
  const fs::path file = scratch / "settings.ini";
  for (const Sequence& sequence : Sequences()) {
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out << sequence.before;
    }
    int n = 0;
    for (const Step& step : sequence.steps) {
      const std::string what = std::string(sequence.what) + ", step " + std::to_string(++n);
      if (step.op == Step::Op::Read) {
        Text out;
        const int32_t copied = profile.Read(step.section, step.key, u"NA", out, step.buffer, file.u16string());
        ExpectEqual(c, what + ": count", step.answer, copied);
        ExpectEqual(c, what + ": text", step.value, out);
      } else {
        const std::optional<Text> value =
            step.op == Step::Op::Write ? std::optional<Text>(step.value) : std::nullopt;
        ExpectEqual(c, what + ": success", step.answer == 1,
                    profile.Write(step.section, step.key, value, file.u16string()));
      }
    }
    ExpectEqual(c, std::string(sequence.what) + ": file", EscapedBytes(sequence.after), EscapedBytes(FileBytes(file)));
  }
  ExpectEqual(c, "writing into a missing folder fails", false,
              profile.Write(u"s", u"k", Text(u"v"), (scratch / "missing" / "x.ini").u16string()));
  fs::remove_all(scratch, ec);
}

void ProfileLockContract(Checker& c, services::Profile& profile, const fs::path& scratch,
                         const OnAnotherThread& elsewhere) {
  c.suite = "profile lock";
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch);
  const Text file = (scratch / "settings.ini").u16string();
  const auto had_elsewhere = [&](int32_t wait_ms) {
    bool had = false;
    elsewhere([&] { had = profile.Lock(file, wait_ms) != nullptr; });
    return had;
  };
  {
    const auto held = profile.Lock(file, 0);
    ExpectEqual(c, "a free lock is had without waiting", true, held != nullptr);
    ExpectEqual(c, "a held lock keeps another holder out", false, had_elsewhere(50));
  }
  ExpectEqual(c, "a lock let go is had at once", true, had_elsewhere(0));

  const auto read = [&] {
    const auto held = profile.Lock(file, 1000);
    Text out;
    profile.Read(u"s", u"k", u"NA", out, 255, file);
    return out;
  };
  {
    const auto held = profile.Lock(file, 1000);
    ExpectEqual(c, "a write under the lock", true, profile.Write(u"s", u"k", Text(u"one"), file));
  }
  // Another process's change that leaves the modification time as it was,
  // on a file last written a while ago (a copy that keeps the time, a
  // clock too coarse to move): the time is set before and after it, with
  // whatever precision the platform's setter has.
  const fs::file_time_type written = fs::last_write_time(scratch / "settings.ini") - std::chrono::hours(1);
  fs::last_write_time(scratch / "settings.ini", written);
  ExpectEqual(c, "read under the lock", Text(u"one"), read());
  {
    std::ofstream out(scratch / "settings.ini", std::ios::binary | std::ios::trunc);
    out << "[s]\r\nk=two\r\n";
  }
  fs::last_write_time(scratch / "settings.ini", written);
  ExpectEqual(c, "a change that kept the modification time is read", Text(u"two"), read());
  fs::remove_all(scratch, ec);
}

}  // namespace brivet::contract
