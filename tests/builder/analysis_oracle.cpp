// A slow, literal transcription of both difference analyses. Every loop below is the loop of
// the algorithm as written, byte by byte, so that it is obviously right; speed is no concern.
#include "analysis_oracle.h"

#include <algorithm>

namespace refontis::test {
namespace {

// A read past the end of the file is a mismatch.
bool ThreeByteTest(const OracleTable& o, int64_t i, const OracleTable& n, int64_t j) {
  for (int64_t k = 0; k < 3; ++k) {
    if (i + k < 0 || j + k < 0) return false;
    if (i + k >= static_cast<int64_t>(o.file.size())) return false;
    if (j + k >= static_cast<int64_t>(n.file.size())) return false;
    if (o.file[static_cast<size_t>(i + k)] != n.file[static_cast<size_t>(j + k)]) return false;
  }
  return true;
}

int64_t MatchLength(const OracleTable& o, int64_t i, int64_t lengthA, const OracleTable& n,
                    int64_t j, int64_t lengthB, bool larger) {
  const int64_t limit = larger ? std::max(lengthA, lengthB) : std::min(lengthA, lengthB);
  if (limit <= 0) return 0;
  int64_t k = 0;
  while (k < limit) {
    if (i + k >= static_cast<int64_t>(o.file.size())) break;
    if (j + k >= static_cast<int64_t>(n.file.size())) break;
    if (o.file[static_cast<size_t>(i + k)] != n.file[static_cast<size_t>(j + k)]) break;
    ++k;
  }
  return k;
}

void Finish(const OracleTable& n, OracleResult& r) {
  // Cut blocks at the table's end and where they start inside the previous block; drop empties.
  std::vector<std::array<int64_t, 3>> kept;
  for (auto block : r.copies) {
    if (block[2] + block[1] > n.length) block[1] = n.length - block[2];
    if (!kept.empty()) {
      const int64_t previousEnd = kept.back()[2] + kept.back()[1];
      if (block[2] < previousEnd) {
        const int64_t cut = previousEnd - block[2];
        block[0] += cut;
        block[2] += cut;
        block[1] -= cut;
      }
    }
    if (block[1] > 0) kept.push_back(block);
  }
  r.copies = kept;

  // Literal blocks for the gaps.
  if (r.copies.empty()) {
    r.literals.push_back({0, n.length});
  } else {
    int64_t g = 0;
    for (size_t k = 0; k < r.copies.size(); ++k) {
      if (r.copies[k][2] != 0) {
        r.literals.push_back({g, r.copies[k][2] - g});
        g = r.copies[k][2] + r.copies[k][1];
      } else if (k == 0) {
        g = r.copies[k][1];
      }
    }
    if (g < n.length) r.literals.push_back({g, n.length - g});
  }

  auto put = [&](int64_t v) {
    const auto u = static_cast<uint32_t>(v);
    r.encoded.push_back(static_cast<uint8_t>(u >> 24));
    r.encoded.push_back(static_cast<uint8_t>(u >> 16));
    r.encoded.push_back(static_cast<uint8_t>(u >> 8));
    r.encoded.push_back(static_cast<uint8_t>(u));
  };
  put(static_cast<int64_t>(r.copies.size()));
  for (const auto& c : r.copies) {
    put(c[0]);
    put(c[1]);
    put(c[2]);
  }
  put(static_cast<int64_t>(r.literals.size()));
  for (const auto& l : r.literals) {
    put(l[0]);
    put(l[1]);
    for (int64_t k = 0; k < l[1]; ++k) r.encoded.push_back(n.file[static_cast<size_t>(l[0] + k)]);
  }
}

}  // namespace

OracleResult OracleLongestMatch(const OracleTable& o, const OracleTable& n, int tableCount,
                                int tablePosition) {
  OracleResult r;
  const int64_t Lo = o.length, Ln = n.length, m = std::min(Lo, Ln);
  const int phase1 = tablePosition * 100 / tableCount + static_cast<int>(30.0 / tableCount);
  const int phase2 = tablePosition * 100 / tableCount + static_cast<int>(60.0 / tableCount);
  const int phase3 = (tablePosition + 1) * 100 / tableCount;

  // Phase 1: the whole tables.
  int64_t best = 0, bo = 0, bn = 0;
  bool stop = false;
  for (int64_t i = 0; i < m && !stop;) {
    for (int64_t j = 0; j < m;) {
      if (ThreeByteTest(o, i, n, j)) {
        const int64_t L = MatchLength(o, i, Lo - i, n, j, Ln - j, false);
        if (L > best) {
          best = L;
          bo = i;
          bn = j;
          if (best >= m / 2) {
            stop = true;
            break;
          }
        }
        i += L;
        j += L;
      }
      j += 1;
    }
    if (stop) break;
    if (i % 100 == 0) r.reports.push_back(phase1);
    i += 1;
  }
  if (best >= 10) {
    r.copies.push_back({bo, best, bn});

    // Phase 2: before the match.
    if (bo >= 10 && bn >= 10) {
      const int64_t limit = std::max(bo, bn) - 1;
      int64_t best2 = 0, p2o = 0, p2n = 0;
      bool stop2 = false;
      for (int64_t i = 0; i < limit && !stop2;) {
        for (int64_t j = 0; j < limit;) {
          if (ThreeByteTest(o, i, n, j)) {
            const int64_t L = MatchLength(o, i, (bo - 1) - i, n, j, (bn - 1) - j, true);
            if (L > best2) {
              best2 = L;
              p2o = i;
              p2n = j;
              if (best2 >= limit / 2) {
                stop2 = true;
                break;
              }
            }
            i += L;
            j += L;
          }
          j += 1;
        }
        if (stop2) break;
        if (i % 100 == 0) r.reports.push_back(phase2);
        i += 1;
      }
      if (best2 >= 10) r.copies.push_back({p2o, best2, p2n});
    }

    // Phase 3: after the match.
    const int64_t ro = Lo - (bo + best), rn = Ln - (bn + best);
    if (ro >= 10 && rn >= 10) {
      const int64_t limit = std::max(ro, rn);
      const int64_t ob = bo + best, nb = bn + best;
      int64_t best3 = 0, p3o = 0, p3n = 0;
      bool stop3 = false;
      for (int64_t i = 0; i < limit && !stop3;) {
        for (int64_t j = 0; j < limit;) {
          if (ThreeByteTest(o, ob + i, n, nb + j)) {
            const int64_t L = MatchLength(o, ob + i, ro - i, n, nb + j, rn - j, true);
            if (L > best3) {
              best3 = L;
              p3o = i;
              p3n = j;
              if (best3 >= limit / 2) {
                stop3 = true;
                break;
              }
            }
            i += L;
            j += L;
          }
          j += 1;
        }
        if (stop3) break;
        if (i % 100 == 0) r.reports.push_back(phase3);
        i += 1;
      }
      if (best3 >= 10) r.copies.push_back({ob + p3o, best3, nb + p3n});
    }

    // Stable: blocks with equal new offsets keep the order the phases found them in.
    std::stable_sort(r.copies.begin(), r.copies.end(),
                     [](const auto& a, const auto& b) { return a[2] < b[2]; });
  }
  Finish(n, r);
  return r;
}

OracleResult OracleWindowScan(const OracleTable& o, const OracleTable& n, int tableCount,
                              int tablePosition) {
  OracleResult r;
  const int64_t Lo = o.length, Ln = n.length, m = std::min(Lo, Ln);
  int64_t lastEnd = 0;
  for (int64_t i = 0; i < m;) {
    int64_t j = i >= 10000 ? i - 10000 : 0;
    while (j < m && j <= i + 10000) {
      if (ThreeByteTest(o, i, n, j)) {
        const int64_t L = MatchLength(o, i, Lo - i, n, j, Ln - j, false);
        if (L > 30 && lastEnd < j) {
          r.copies.push_back({i, L, j});
          lastEnd = j + L;
        }
        i += L;
        j += L;
      }
      j += 1;
    }
    if (i % 1000 == 0) {
      r.reports.push_back(tablePosition * 100 / tableCount +
                          static_cast<int>(static_cast<double>(i) * 100.0 /
                                           static_cast<double>(m) / tableCount));
    }
    i += 1;
  }
  Finish(n, r);
  r.reports.push_back((tablePosition + 1) * 100 / tableCount);
  return r;
}

}  // namespace refontis::test
