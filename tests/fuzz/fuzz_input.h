// Reads typed values off a fuzzer's input, front to back; an exhausted input
// yields zeros and empty texts, so every input is a valid program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace brivet::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <typename T>
  T Take() {
    T value{};
    const size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
    if (n) std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }

  // UTF-16 code units, NUL and unpaired surrogates included: the rest of the
  // input when `count` is zero.
  std::u16string Units(size_t count = 0) {
    const size_t available = size_ / 2;
    const size_t n = count == 0 || count > available ? available : count;
    std::u16string text(n, u'\0');
    for (size_t i = 0; i < n; ++i) text[i] = Take<char16_t>();
    return text;
  }

  // Bytes read as Windows-1252 characters: the rest of the input.
  std::u16string Latin1() {
    std::u16string text;
    while (size_) text += static_cast<char16_t>(Take<uint8_t>());
    return text;
  }

  std::string Bytes() {
    std::string bytes(reinterpret_cast<const char*>(data_), size_);
    size_ = 0;
    return bytes;
  }

  size_t left() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// A broken invariant: the fuzzer reports the abort with the input that caused it.
[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace brivet::fuzz
