// The progress callback of the update jobs and its percentage arithmetic.
#pragma once

namespace refontis {

// The window that owns a long operation; absent means "report nothing".
using OwnerWindow = void*;

// (overall percentage, current percentage, first line, second line, owner); non-zero = stop.
using UpdateProgressCallback = int (*)(int overall, int current, const char* line1,
                                       const char* line2, OwnerWindow owner);

// Overall percentage of step `step` of font `index` among `count`, in integer arithmetic.
constexpr int OverallPercent(int index, int count, int step) {
  return index * 100 / count + step / count;
}

// The same in single precision, as the rebuild reports its last step.
inline int OverallPercentFloat(int index, int count, int step) {
  return static_cast<int>(static_cast<float>(index) * 100.0f / static_cast<float>(count) +
                          static_cast<float>(step) / static_cast<float>(count));
}

// Calls the callback when there is an owner; true when it asked to stop.
inline bool ReportProgress(UpdateProgressCallback progress, OwnerWindow owner, int overall,
                           int current, const char* line1, const char* line2) {
  if (owner == nullptr || progress == nullptr) return false;
  return progress(overall, current, line1, line2, owner) != 0;
}

}  // namespace refontis
