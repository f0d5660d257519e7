// The platform contracts, met by the headless backend.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "file_system_contract.h"
#include "file_system_headless.h"
#include "profile_contract.h"
#include "profile_portable.h"
#include "profile_property.h"
#include "toolkit_contract.h"
#include "toolkit_headless.h"

namespace brivet::testing {
namespace {

class GTestChecker final : public contract::Checker {
 public:
  void Failed(const std::string& message) override { ADD_FAILURE() << message; }
};

std::filesystem::path Scratch(const char* name) {
  return std::filesystem::temp_directory_path() / (std::string("brivet-contract-") + name);
}

TEST(Contracts, HeadlessFileSystem) {
  GTestChecker checker;
  headless::HeadlessFileSystemFactory factory;
  contract::FileSystemContract(checker, factory, Scratch("fs"));
  EXPECT_EQ(factory.live_objects, 0);
}

TEST(Contracts, PortableProfile) {
  GTestChecker checker;
  headless::PortableProfile profile;
  contract::ProfileContract(checker, profile, Scratch("profile"));
  contract::ProfileLockContract(checker, profile, Scratch("profile-lock"),
                                [](const std::function<void()>& body) { std::thread(body).join(); });
}

// A short run; BRIVET_PROFILE_SEQUENCES and BRIVET_PROFILE_SEED make a long
// one or replay a failure.
TEST(Contracts, PortableProfileAgainstTheModelOfTheSettings) {
  GTestChecker checker;
  headless::HeadlessFileSystemFactory files;
  headless::PortableProfile profile;
  const uint64_t seed = contract::PropertySeed(std::getenv("BRIVET_PROFILE_SEQUENCES") != nullptr);
  const contract::PropertyFigures figures = contract::ProfileProperty(
      checker, files, profile, Scratch("property"), seed, contract::PropertySequences(300));
  std::printf("seed %llu: %d sequences, %d steps, %d writes refused\n",
              static_cast<unsigned long long>(seed), figures.sequences, figures.steps, figures.refused);
}

TEST(Contracts, HeadlessToolkit) {
  GTestChecker checker;
  headless::HeadlessToolkit toolkit;
  contract::ToolkitContract(checker, toolkit, Scratch("toolkit"));
}

}  // namespace
}  // namespace brivet::testing
