// The settings routines in several processes at once, on the headless
// backend: writers that start together lose nothing, a reader always finds
// a setting that is there, and a lock whose holder was killed is taken over.
// BRIVET_SETTINGS_ROUNDS makes a long run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "file_system_headless.h"
#include "profile_portable.h"
#include "services/mod_ini.h"

namespace brivet::testing {
namespace {

namespace fs = std::filesystem;
using services::ReadSetting;
using services::WriteSetting;

constexpr int kWriters = 3;
constexpr int kKeysPerWriter = 40;
constexpr int kReads = 60;

int Rounds() {
  const char* rounds = std::getenv("BRIVET_SETTINGS_ROUNDS");
  return rounds ? std::max(1, std::atoi(rounds)) : 1;
}

Text Key(int writer, int i) { return T("w" + std::to_string(writer) + "k" + std::to_string(i)); }
Text Value(int writer, int i) { return T("v" + std::to_string(writer * 1000 + i)); }

struct Settings {
  explicit Settings(const fs::path& folder) { files.windows_folder = folder; }
  headless::HeadlessFileSystemFactory files;
  headless::PortableProfile profile;
};

// Child processes that wait for one go, so their calls overlap.
class Processes {
 public:
  Processes() { EXPECT_EQ(pipe(go_), 0); }
  ~Processes() {
    close(go_[0]);
    close(go_[1]);
  }
  // `body` answers the child's exit status: 0 when every call answered
  // what it should.
  void Start(const std::function<int()>& body) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(go_[1]);
      char byte;
      const bool went = read(go_[0], &byte, 1) == 0;  // the write end closed
      _exit(went ? body() : 100);
    }
    children_.push_back(pid);
  }
  // Lets them go and answers how many ended with a failure.
  int Finish() {
    close(go_[1]);
    go_[1] = -1;
    int failed = 0;
    for (const pid_t pid : children_) {
      int status = 0;
      waitpid(pid, &status, 0);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
    }
    return failed;
  }

 private:
  int go_[2] = {-1, -1};
  std::vector<pid_t> children_;
};

class SettingsInProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("brivet-processes-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // One round: the writers (and, when the file holds the earlier setting,
  // a reader of it) at once; then every key is checked.
  void Round(bool earlier_setting) {
    fs::remove(folder_ / "brivetdll.ini");
    Settings settings(folder_);
    if (earlier_setting) {
      ASSERT_EQ(WriteSetting(settings.files, settings.profile, u"race", u"earlier", Text(u"kept")), 1);
    }
    Processes processes;
    for (int writer = 0; writer < kWriters; ++writer)
      processes.Start([&, writer] {
        Settings own(folder_);
        int refused = 0;
        for (int i = 0; i < kKeysPerWriter; ++i)
          refused += WriteSetting(own.files, own.profile, u"race", Key(writer, i), Value(writer, i)) != 1;
        return refused;
      });
    if (earlier_setting)
      processes.Start([&] {
        Settings own(folder_);
        int missed = 0;
        for (int i = 0; i < kReads; ++i) missed += ReadSetting(own.files, own.profile, u"race", u"earlier") != u"kept";
        return missed;
      });
    EXPECT_EQ(processes.Finish(), 0) << "a process saw a call fail";
    int found = 0;
    for (int writer = 0; writer < kWriters; ++writer)
      for (int i = 0; i < kKeysPerWriter; ++i)
        found += ReadSetting(settings.files, settings.profile, u"race", Key(writer, i)) == Value(writer, i);
    EXPECT_EQ(found, kWriters * kKeysPerWriter);
    if (earlier_setting) {
      EXPECT_EQ(ReadSetting(settings.files, settings.profile, u"race", u"earlier"), u"kept");
    }
  }

  fs::path folder_;
};

TEST_F(SettingsInProcesses, WritersAtOnceLoseNothingAndAReaderAlwaysFindsWhatIsThere) {
  for (int round = 0; round < Rounds(); ++round) {
    Round(true);
    Round(false);
    if (HasFailure()) break;
  }
}

TEST_F(SettingsInProcesses, ALockHeldKeepsOthersOutForTheirWaitAndIsTakenOverWhenItsHolderIsKilled) {
  Settings settings(folder_);
  const Text ini = services::SettingsPath(*settings.files.Create());
  int held[2];
  ASSERT_EQ(pipe(held), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    headless::PortableProfile own;
    const auto hold = own.Lock(ini, 1000);
    const char byte = hold ? 1 : 0;
    if (write(held[1], &byte, 1) != 1) _exit(1);
    for (;;) pause();
  }
  char byte = 0;
  ASSERT_EQ(read(held[0], &byte, 1), 1);
  ASSERT_EQ(byte, 1) << "the holder did not get the lock";
  EXPECT_FALSE(settings.profile.Lock(ini, 20)) << "the lock was had while another process held it";
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(held[0]);
  close(held[1]);
  EXPECT_EQ(WriteSetting(settings.files, settings.profile, u"s", u"k", Text(u"after")), 1);
  EXPECT_EQ(ReadSetting(settings.files, settings.profile, u"s", u"k"), u"after");
}

}  // namespace
}  // namespace brivet::testing
