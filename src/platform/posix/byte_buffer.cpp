// Zeroed memory on POSIX: calloc for small blocks, anonymous maps in transparent huge pages
// for large ones.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/byte_buffer.h"

namespace refontis::platform {
namespace {

constexpr size_t kLargeBlock = size_t{4} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

size_t MappedSize(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateZeroed(size_t bytes) {
  if (bytes < kLargeBlock) return std::calloc(bytes == 0 ? 1 : bytes, 1);
  void* p = mmap(nullptr, MappedSize(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                 -1, 0);
  if (p == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  madvise(p, MappedSize(bytes), MADV_HUGEPAGE);  // a hint: without it, ordinary pages
#endif
  return p;
}

void FreeZeroed(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes < kLargeBlock) {
    std::free(block);
  } else {
    munmap(block, MappedSize(bytes));
  }
}

}  // namespace refontis::platform
