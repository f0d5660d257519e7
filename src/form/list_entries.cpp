#include "form/list_entries.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "form/toolkit.h"

namespace brivet::form {

namespace {
constexpr size_t kMaxEntries = static_cast<size_t>(kMaxListEntries);
constexpr size_t kFirstRoom = 16;
}  // namespace

void ListEntries::MakeRoomForOne() {
  const size_t size = entries_.size();
  if (size >= kMaxEntries) throw Error(Fault::OutOfMemory);
  if (size < entries_.capacity()) return;
  // Room for exactly one more would copy the whole list on every append.
  entries_.reserve(std::min(std::max(size * 2, kFirstRoom), kMaxEntries));
}

void ListEntries::Insert(size_t at, Text entry) noexcept {
  entries_.insert(entries_.begin() + static_cast<ptrdiff_t>(std::min(at, entries_.size())), std::move(entry));
}

void ListEntries::Append(const Text& entry) {
  Text kept(UpToNul(entry));
  MakeRoomForOne();
  Insert(entries_.size(), std::move(kept));
}

void ListEntries::Clear() noexcept { std::vector<Text>().swap(entries_); }

void ListEntries::Remove(int16_t index) {
  At(index);
  entries_.erase(entries_.begin() + index);
}

const Text& ListEntries::At(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) throw Error::InvalidCall();
  return entries_[static_cast<size_t>(index)];
}

}  // namespace brivet::form
