// Drives Window objects the way a script host does: by name, through the
// member table and the dispatcher, each test on a thread of its own so that
// it starts from a fresh per-thread dialog state.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "interface/dispatcher.h"
#include "toolkit_headless.h"
#include "window/dialog_state.h"
#include "window/window.h"

namespace brivet::testing {

inline void OnFreshThread(const std::function<void()>& body) {
  std::thread worker([&] {
    try {
      body();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "uncaught: " << e.what();
    }
  });
  worker.join();
}

class ScriptHost {
 public:
  ScriptHost() : toolkit(headless::InstallHeadlessPlatform()) {}

  // Runs a call; returns the dispatcher's status (0 when the routine ran)
  // and throws brivet::Error when the routine failed.
  int32_t Invoke(window::Window& w, std::u16string_view name, uint16_t flags,
                 std::vector<Variant> args_in_order, Variant* result = nullptr,
                 std::vector<Variant>* written = nullptr) {
    const auto id = dispatch::DispIdOfName(name);
    if (!id) return status::kUnknownName;
    std::vector<Variant> reversed(args_in_order.rbegin(), args_in_order.rend());
    std::vector<int32_t> named;
    if (flags & dispatch::kPropertyPut) {
      // The value travels first (it was last in order), named as the
      // property-put argument.
      named.push_back(dispatch::kPropertyPutDispId);
    }
    dispatch::Call call{*id, flags, reversed, named, result};
    const dispatch::Refusal refusal = dispatch::Invoke(w, call);
    if (written) written->assign(reversed.rbegin(), reversed.rend());
    return refusal.status;
  }

  // w.name(args...) = value
  void Put(window::Window& w, std::u16string_view name, Variant value,
           std::vector<Variant> index_args = {}) {
    index_args.push_back(std::move(value));
    ASSERT_EQ(Invoke(w, name, dispatch::kPropertyPut, std::move(index_args)), 0);
  }
  Variant Call(window::Window& w, std::u16string_view name, std::vector<Variant> args = {},
               std::vector<Variant>* written = nullptr) {
    Variant result;
    EXPECT_EQ(Invoke(w, name, dispatch::kMethod | dispatch::kPropertyGet, std::move(args),
                     &result, written),
              0);
    return result;
  }

  headless::HeadlessForm& form() {
    return static_cast<headless::HeadlessForm&>(window::ThreadUi());
  }
  void Queue(headless::UserAction action) { toolkit.actions.push_back(std::move(action)); }

  headless::HeadlessToolkit& toolkit;
};

inline Variant S(const char* ascii) { return Variant::Str(std::string_view(ascii)); }

}  // namespace brivet::testing
