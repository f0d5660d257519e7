#include "services_headless.h"

#include <utility>

#include "platform.h"
#include "toolkit_headless.h"

namespace brivet::headless {

namespace {

std::optional<Text> Next(std::deque<std::optional<Text>>& answers, const char* chooser) {
  if (answers.empty()) throw ChooserQueueRanDry{chooser};
  std::optional<Text> answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

// A file chooser refuses a path that does not fit its buffer.
std::optional<Text> Fitting(std::optional<Text> path, const services::Choosers::FileRequest& request) {
  if (path && path->size() >= static_cast<size_t>(request.max_path)) return std::nullopt;
  return path;
}

struct ThreadValue {
  void* value = nullptr;
  ThreadStore::End end = nullptr;
  ThreadValue() = default;
  ThreadValue(const ThreadValue&) = delete;
  ThreadValue& operator=(const ThreadValue&) = delete;
  ~ThreadValue() {
    // Anything that asks later finds no state rather than a freed one.
    void* const ending = std::exchange(value, nullptr);
    if (ending && end) end(ending);
  }
};
thread_local ThreadValue t_value;

}  // namespace

void* HeadlessThreadStore::Get() const noexcept { return t_value.value; }

void HeadlessThreadStore::Set(void* value, End end) {
  t_value.value = value;
  t_value.end = end;
}

std::optional<Text> HeadlessChoosers::OpenFile(const FileRequest& request) {
  open_requests.push_back(request);
  return Fitting(Next(paths, "open chooser"), request);
}

std::optional<Text> HeadlessChoosers::SaveFile(const FileRequest& request) {
  save_requests.push_back(request);
  return Fitting(Next(paths, "save chooser"), request);
}

std::optional<Text> HeadlessChoosers::BrowseFolder(const std::optional<Text>& title) {
  folder_titles.push_back(title);
  return Next(paths, "folder chooser");
}

std::optional<int32_t> HeadlessChoosers::PickColor() {
  ++color_requests;
  if (colors.empty()) throw ChooserQueueRanDry{"colour chooser"};
  const std::optional<int32_t> answer = colors.front();
  colors.pop_front();
  return answer;
}

HeadlessServices& InstalledHeadlessServices() {
  static HeadlessServices services;
  return services;
}

HeadlessToolkit& InstallHeadlessPlatform() {
  static HeadlessToolkit toolkit;
  HeadlessServices& services = InstalledHeadlessServices();
  toolkit.actions.clear();
  services.choosers = HeadlessChoosers();
  services.sound.played.clear();
  Platform platform;
  platform.toolkit = &toolkit;
  platform.file_system = &services.file_system;
  platform.choosers = &services.choosers;
  platform.profile = &services.profile;
  platform.sound = &services.sound;
  platform.thread_store = &services.thread_store;
  InstallPlatform(platform);
  return toolkit;
}

}  // namespace brivet::headless
