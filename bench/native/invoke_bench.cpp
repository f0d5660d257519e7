// What the component itself adds to a late-bound call: the dispatcher's
// member lookup and argument mapping, the coercion of the argument and the
// routine, against the headless toolkit. The three shapes are the ones the
// script-host figures compare with a dictionary.
#include <benchmark/benchmark.h>

#include <array>

#include "interface/dispatcher.h"
#include "interface/member_table.h"
#include "toolkit_headless.h"
#include "window/window.h"

namespace {

using namespace brivet;

constexpr int32_t kWindowId = 0x40030000;
constexpr int32_t kAddToListId = 0x6003001C;
constexpr int32_t kResponseId = 0x60030023;
constexpr int32_t kClearListId = 0x60030019;

// Each benchmark holds one Window on its thread, as a script does; the
// platform is installed once.
void InstallPlatform() {
  static headless::HeadlessToolkit& toolkit = headless::InstallHeadlessPlatform();
  (void)toolkit;
}

// w.Window = "x": a put with the value named, as script hosts pass it.
void PropertyPut(benchmark::State& state) {
  InstallPlatform();
  window::Window w;
  std::array<Variant, 1> args = {Variant::Str("x")};
  const std::array<int32_t, 1> named = {dispatch::kPropertyPutDispId};
  const dispatch::Call call{kWindowId, dispatch::kPropertyPut, args, named, nullptr};
  for (auto _ : state) benchmark::DoNotOptimize(dispatch::Invoke(w, call));
}
BENCHMARK(PropertyPut);

// w.AddToList "x": a method with one argument and no result. The list is
// emptied now and then, outside the timing, so it stays small.
void MethodWithArgument(benchmark::State& state) {
  InstallPlatform();
  window::Window w;
  std::array<Variant, 1> args = {Variant::Str("x")};
  const dispatch::Call call{kAddToListId, dispatch::kMethod, args, {}, nullptr};
  const dispatch::Call clear{kClearListId, dispatch::kMethod, {}, {}, nullptr};
  int added = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(dispatch::Invoke(w, call));
    if (++added == 4096) {
      state.PauseTiming();
      dispatch::Invoke(w, clear);
      added = 0;
      state.ResumeTiming();
    }
  }
  dispatch::Invoke(w, clear);
}
BENCHMARK(MethodWithArgument);

// r = w.Response(): a call with its optional arguments omitted and a result.
void CallWithResult(benchmark::State& state) {
  InstallPlatform();
  window::Window w;
  Variant result;
  const dispatch::Call call{kResponseId, dispatch::kMethod | dispatch::kPropertyGet, {}, {}, &result};
  for (auto _ : state) {
    benchmark::DoNotOptimize(dispatch::Invoke(w, call));
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(CallWithResult);

}  // namespace

BENCHMARK_MAIN();
