// Byte buffers for whole fonts and images: zero-filled when allocated, without a second pass
// of zeroing, and, on systems that have them, in large pages (a 30 MB font otherwise costs
// thousands of page faults per buffer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace refontis::platform {

// Zeroed memory from the system: large pages for large blocks where the platform has them.
void* AllocateZeroed(size_t bytes);
void FreeZeroed(void* block, size_t bytes);

template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  T* allocate(size_t n) {
    void* p = AllocateZeroed(n * sizeof(T));
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) { FreeZeroed(p, n * sizeof(T)); }
  // Value-initialisation is free: the memory is zero already. Every other construction writes.
  template <typename U>
  void construct(U*) noexcept {}
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
  }
  template <typename U>
  bool operator==(const ZeroedAllocator<U>&) const {
    return true;
  }
};

// A byte buffer whose new elements read as zero. Grow it only with resize() on a fresh buffer
// (or after clear() with shrink_to_fit()): reused capacity keeps whatever was written there.
using ByteBuffer = std::vector<uint8_t, ZeroedAllocator<uint8_t>>;

// A fresh buffer of `size` zero bytes.
inline ByteBuffer ZeroedBuffer(size_t size) {
  ByteBuffer buffer;
  buffer.resize(size);
  return buffer;
}

}  // namespace refontis::platform
