// Stand-ins for the system services a backend does not offer yet: every
// operation raises the "not available yet" error, so a routine that reaches
// one gets a clear error rather than a missing object.
#pragma once

#include "core/error.h"
#include "services/system_services.h"

namespace brivet::services {

class UnavailableChoosers final : public Choosers {
 public:
  std::optional<Text> OpenFile(const FileRequest&) override { throw Error(Fault::NotAvailableYet); }
  std::optional<Text> SaveFile(const FileRequest&) override { throw Error(Fault::NotAvailableYet); }
  std::optional<Text> BrowseFolder(const std::optional<Text>&, int) override {
    throw Error(Fault::NotAvailableYet);
  }
  std::optional<int32_t> PickColor() override { throw Error(Fault::NotAvailableYet); }
};

class UnavailableProfile final : public Profile {
 public:
  int32_t Read(const Text&, const Text&, const Text&, Text&, int32_t, const Text&) override {
    throw Error(Fault::NotAvailableYet);
  }
  bool Write(const Text&, const Text&, const std::optional<Text>&, const Text&) override {
    throw Error(Fault::NotAvailableYet);
  }
};

class UnavailableSound final : public Sound {
 public:
  void PlaySync(const Text&) override { throw Error(Fault::NotAvailableYet); }
};

}  // namespace brivet::services
