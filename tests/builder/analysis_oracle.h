// A slow, literal transcription of both difference analyses: the reference that the fast
// production versions must match block for block. Test-only.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace refontis::test {

struct OracleTable {
  std::span<const uint8_t> file;  // from the table's first byte to the end of its file
  int64_t length;
};

struct OracleResult {
  std::vector<std::array<int64_t, 3>> copies;    // old offset, length, new offset
  std::vector<std::array<int64_t, 2>> literals;  // new offset, length
  std::vector<uint8_t> encoded;                  // the difference area
  std::vector<int> reports;                      // current percentages, in order
};

// tableCount and tablePosition place the table for the progress percentages.
OracleResult OracleLongestMatch(const OracleTable& o, const OracleTable& n, int tableCount = 1,
                                int tablePosition = 0);
OracleResult OracleWindowScan(const OracleTable& o, const OracleTable& n, int tableCount = 1,
                              int tablePosition = 0);

}  // namespace refontis::test
