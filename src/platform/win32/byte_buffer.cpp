// Zeroed memory on Windows: calloc for small blocks, VirtualAlloc (zeroed pages) for large ones.
#include "platform/win32/windows_api.h"

#include <cstdlib>

#include "platform/byte_buffer.h"

namespace refontis::platform {
namespace {

constexpr size_t kLargeBlock = size_t{4} << 20;

}  // namespace

void* AllocateZeroed(size_t bytes) {
  if (bytes < kLargeBlock) return std::calloc(bytes == 0 ? 1 : bytes, 1);
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreeZeroed(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes < kLargeBlock) {
    std::free(block);
  } else {
    VirtualFree(block, 0, MEM_RELEASE);
  }
}

}  // namespace refontis::platform
