// The list's costs counted rather than timed: the bytes the program
// allocates while a script fills, reads and trims the list (a growing
// store copies what it holds into each new allocation). Each count is
// taken on a freshly loaded form, so storage kept from an earlier fill
// cannot hide a cost that grows with the list.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "driver.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<size_t> bytes_allocated{0};

void* Allocate(size_t size) {
  if (counting.load(std::memory_order_relaxed)) bytes_allocated.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

// Every allocation of this test program goes through the counter.
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace brivet::testing {
namespace {

template <typename Body>
size_t BytesAllocatedBy(Body&& body) {
  bytes_allocated = 0;
  counting = true;
  body();
  counting = false;
  return bytes_allocated;
}

Text EntryText(int i) {
  const std::string ascii = "entry " + std::to_string(i);
  return Text(ascii.begin(), ascii.end());
}

// The list of n entries joined by commas, as a script would pass it.
Text ListText(int n) {
  Text joined;
  for (int i = 1; i <= n; ++i) {
    if (i > 1) joined += u',';
    joined += EntryText(i);
  }
  return joined;
}

struct ListCosts {
  double load_per_entry, add_per_entry, get_per_entry;
  size_t remove_last;
};

// Each figure on a fresh thread, whose form is loaded for it alone.
ListCosts Measure(int n) {
  ListCosts costs{};
  const Variant text = Variant::Str(ListText(n));
  OnFreshThread([&] {
    ScriptHost host;
    window::Window w;
    Variant arg = text;
    costs.load_per_entry = double(BytesAllocatedBy([&] { host.Call(w, u"LoadList", {arg}); })) / n;
    ASSERT_EQ(host.form().ListCount(), n);
    costs.get_per_entry = double(BytesAllocatedBy([&] { host.Call(w, u"GetList"); })) / n;
    host.form().SelectEntry(static_cast<int16_t>(n - 1));
    costs.remove_last = BytesAllocatedBy([&] { host.Call(w, u"RemoveSelListItem"); });
    ASSERT_EQ(host.form().ListCount(), n - 1);
  });
  OnFreshThread([&] {
    ScriptHost host;
    window::Window w;
    std::vector<Variant> entries;
    for (int i = 1; i <= n; ++i) entries.push_back(Variant::Str(EntryText(i)));
    costs.add_per_entry = double(BytesAllocatedBy([&] {
                            for (const Variant& e : entries) host.Call(w, u"AddToList", {e});
                          })) / n;
    ASSERT_EQ(host.form().ListCount(), n);
  });
  return costs;
}

// Growth by doubling leaves per-entry costs within this of each other.
constexpr double kSlack = 1.5;

TEST(ListCost, FillingReadingAndTrimmingStayFlatAsTheListGrows) {
  const ListCosts small = Measure(1000);
  const ListCosts large = Measure(32000);
  EXPECT_LE(large.load_per_entry, kSlack * small.load_per_entry)
      << "LoadList bytes per entry: " << small.load_per_entry << " at 1,000, " << large.load_per_entry << " at 32,000";
  EXPECT_LE(large.add_per_entry, kSlack * small.add_per_entry)
      << "AddToList bytes per entry: " << small.add_per_entry << " at 1,000, " << large.add_per_entry << " at 32,000";
  EXPECT_LE(large.get_per_entry, kSlack * small.get_per_entry)
      << "GetList bytes per entry: " << small.get_per_entry << " at 1,000, " << large.get_per_entry << " at 32,000";
  EXPECT_LE(large.remove_last, kSlack * small.remove_last)
      << "RemoveSelListItem bytes: " << small.remove_last << " at 1,000, " << large.remove_last << " at 32,000";
}

}  // namespace
}  // namespace brivet::testing
