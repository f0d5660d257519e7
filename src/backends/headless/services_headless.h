// Headless system services: choosers answered from queues a test prepares,
// a sound that only records what it was asked to play, and the portable
// profile on real files.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "file_system_headless.h"
#include "profile_portable.h"
#include "platform.h"
#include "services/system_services.h"

namespace brivet::headless {

// Thrown when a chooser opens and no answer is queued. It is no
// std::exception, so the component's error traps let it through and the
// test fails instead of seeing a cancel.
struct ChooserQueueRanDry {
  const char* chooser;
};

class HeadlessChoosers final : public services::Choosers {
 public:
  std::optional<Text> OpenFile(const FileRequest& request) override;
  std::optional<Text> SaveFile(const FileRequest& request) override;
  std::optional<Text> BrowseFolder(const std::optional<Text>& title) override;
  std::optional<int32_t> PickColor() override;

  // Answers, oldest first; nothing stands for cancel.
  std::deque<std::optional<Text>> paths;
  std::deque<std::optional<int32_t>> colors;

  // What the choosers were asked.
  std::vector<FileRequest> open_requests, save_requests;
  std::vector<std::optional<Text>> folder_titles;
  int color_requests = 0;
};

class HeadlessSound final : public services::Sound {
 public:
  void PlaySync(const Text& path) override { played.push_back(path); }
  std::vector<Text> played;
};

// Each thread's value in a thread_local, disposed of by the C++ runtime
// when the thread ends.
class HeadlessThreadStore final : public ThreadStore {
 public:
  void* Get() const noexcept override;
  void Set(void* value, End end) override;
};

struct HeadlessServices {
  HeadlessFileSystemFactory file_system;
  HeadlessChoosers choosers;
  PortableProfile profile;
  HeadlessSound sound;
  HeadlessThreadStore thread_store;
};

// The services InstallHeadlessPlatform installed, emptied by each install.
HeadlessServices& InstalledHeadlessServices();

}  // namespace brivet::headless
