// A growable array of object pointers (not owned) with an in-place sort by a comparison.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace refontis {

template <typename T>
class CSortArray {
 public:
  // `less` places an element first only when it is strictly smaller. The sort is stable, so
  // equal elements keep the order in which they were added.
  template <typename Less>
  void Sort(Less less) {
    std::stable_sort(items_.begin(), items_.end(), less);
  }
  void Add(T* item) { items_.push_back(item); }
  void RemoveAll() { items_.clear(); }
  size_t GetSize() const { return items_.size(); }
  T* operator[](size_t i) const { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T*> items_;
};

}  // namespace refontis
