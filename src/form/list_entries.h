// The list box's entries as the toolkit holds them, kept by each backend:
// the same limits and the same growth for every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/variant.h"

namespace brivet::form {

class ListEntries {
 public:
  // Makes sure one more entry fits, so that an Insert after it cannot fail;
  // OutOfMemory when the list is full (kMaxListEntries). Room grows by
  // doubling: a list filled one entry a call copies each entry a bounded
  // number of times.
  void MakeRoomForOne();
  // Puts the entry at the position (one past the last or beyond appends).
  // Never fails after MakeRoomForOne.
  void Insert(size_t at, Text entry) noexcept;
  // MakeRoomForOne, then Insert at the end, keeping the text up to its first NUL.
  void Append(const Text& entry);
  // Empties the list and gives its room back: a list filled again starts as
  // a fresh one does.
  void Clear() noexcept;
  // InvalidCall for a position with no entry.
  void Remove(int16_t index);
  const Text& At(int16_t index) const;

  int16_t Count() const noexcept { return static_cast<int16_t>(entries_.size()); }
  const std::vector<Text>& all() const noexcept { return entries_; }

 private:
  std::vector<Text> entries_;
};

}  // namespace brivet::form
