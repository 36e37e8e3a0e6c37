// The difference analyses: copy blocks found by longest match or by a windowed scan, literal
// blocks for the gaps, and the encoded difference area.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "otf/byte_reader.h"
#include "patch/candidate_index.h"
#include "patch/match_length.h"
#include "patch/sabun_data.h"

namespace refontis {
namespace {

constexpr int64_t kWindow = 10000;
constexpr int64_t kShortestWindowRun = 31;  // the scan copies runs longer than 30 bytes
constexpr int64_t kShortestLongestMatch = 10;

void Report(const AnalysisProgress& progress, const char* tag, int current) {
  if (progress.callback == nullptr) return;
  char message[512];
  std::snprintf(message, sizeof message, "%sのフォントの%sのタグを解析中です",
                progress.fontName.c_str(), tag);
  const int overall = progress.index * 100 / progress.total + current / progress.total;
  progress.callback(overall, current, message, progress.owner);
}

// The part of a phase's progress that the table's position gives.
int TableBase(const AnalysisProgress& p) { return p.tablePosition * 100 / p.tableCount; }
int TableEnd(const AnalysisProgress& p) { return (p.tablePosition + 1) * 100 / p.tableCount; }

struct TableView {
  std::span<const uint8_t> file;  // from the table's first byte to the end of its file
  int64_t length;
};

struct PhaseResult {
  int64_t best = 0, oldPos = 0, newPos = 0;
};

// One phase of the longest match: the best run between old positions oldBase + i and new
// positions newBase + j for i, j below `limit`, jumping over every measured run, stopping once
// a run reaches `stopAt`.
PhaseResult LongestMatchPhase(const TableView& o, const TableView& n, int64_t oldBase,
                              int64_t newBase, int64_t limit, int64_t oldRemaining,
                              int64_t newRemaining, MatchLimit choice, int64_t stopAt,
                              const AnalysisProgress& progress, const char* tag, int current) {
  PhaseResult r;
  if (limit <= 0) return r;
  const CandidateIndex index(n.file, newBase, newBase + limit,
                             CandidateIndex::BucketBitsFor(limit));
  for (int64_t i = 0; i < limit;) {
    int64_t j = 0;
    while (j < limit) {
      const auto key = ThreeByteKey(o.file, oldBase + i);
      if (!key) break;
      const int64_t hit = index.Next(*key, newBase + j, newBase + limit - 1);
      if (hit < 0) break;
      j = hit - newBase;
      const int64_t L = MatchLength(Tail(o.file, oldBase + i), oldRemaining - i,
                                    Tail(n.file, newBase + j), newRemaining - j, choice);
      if (L > r.best) {
        r = {L, i, j};
        if (r.best >= stopAt) return r;
      }
      i += L;
      j += L;
      j += 1;
    }
    if (i % 100 == 0) Report(progress, tag, current);
    i += 1;
  }
  return r;
}

}  // namespace

void CSabunTagObject::SetFromNewTable(const CTagObject& newTable) {
  SetTag(newTable.tag);
  directoryIndex = static_cast<uint8_t>(newTable.directoryIndex);
  physicalOrder = static_cast<uint8_t>(newTable.offsetIndex);
  length = newTable.length;
  offset = newTable.offset;
  differenceOffset = 0;
  hasDifference = true;
  copyBlocks.clear();
  literalBlocks.clear();
  encodedDifference.clear();
}

bool CSabunTagObject::AnalyseByLongestMatch(const CTagObject& oldTable, const CTagObject& newTable,
                                            const AnalysisProgress& progress) {
  SetFromNewTable(newTable);
  const TableView o{oldTable.data, oldTable.length};
  const TableView n{newTable.data, newTable.length};
  const int64_t m = std::min(o.length, n.length);
  const int base = TableBase(progress);
  const int tables = progress.tableCount;

  const PhaseResult whole = LongestMatchPhase(o, n, 0, 0, m, o.length, n.length,
                                              MatchLimit::kSmaller, m / 2, progress,
                                              tagText, base + static_cast<int>(30.0 / tables));
  if (whole.best >= kShortestLongestMatch) {
    const int64_t bo = whole.oldPos, bn = whole.newPos, best = whole.best;
    AddCopyBlock(bo, best, bn);
    if (bo >= 10 && bn >= 10) {
      const int64_t limit = std::max(bo, bn) - 1;
      const PhaseResult before =
          LongestMatchPhase(o, n, 0, 0, limit, bo - 1, bn - 1, MatchLimit::kLarger, limit / 2,
                            progress, tagText, base + static_cast<int>(60.0 / tables));
      if (before.best >= kShortestLongestMatch) {
        AddCopyBlock(before.oldPos, before.best, before.newPos);
      }
    }
    const int64_t ro = o.length - (bo + best), rn = n.length - (bn + best);
    if (ro >= 10 && rn >= 10) {
      const int64_t limit = std::max(ro, rn);
      const PhaseResult after =
          LongestMatchPhase(o, n, bo + best, bn + best, limit, ro, rn, MatchLimit::kLarger,
                            limit / 2, progress, tagText, TableEnd(progress));
      if (after.best >= kShortestLongestMatch) {
        AddCopyBlock(bo + best + after.oldPos, after.best, bn + best + after.newPos);
      }
    }
    std::stable_sort(copyBlocks.begin(), copyBlocks.end(),
                     [](const auto& a, const auto& b) { return a->newOffset < b->newOffset; });
  }
  TrimCopyBlocks();
  MakeLiteralBlocks(newTable);
  EncodeDifference();
  return true;
}

bool CSabunTagObject::AnalyseByWindowScan(const CTagObject& oldTable, const CTagObject& newTable,
                                          const AnalysisProgress& progress) {
  SetFromNewTable(newTable);
  const TableView o{oldTable.data, oldTable.length};
  const TableView n{newTable.data, newTable.length};
  const int64_t m = std::min(o.length, n.length);
  const int base = TableBase(progress);
  SlidingCandidateIndex index(n.file, m);
  int64_t lastEnd = 0;
  for (int64_t i = 0; i < m;) {
    int64_t j = i >= kWindow ? i - kWindow : 0;
    index.Forget(j);
    while (j < m && j <= i + kWindow) {
      const auto key = ThreeByteKey(o.file, i);
      if (!key) break;
      const int64_t hit = index.Next(*key, j, std::min(m - 1, i + kWindow));
      if (hit < 0) break;
      j = hit;
      const int64_t L =
          MatchLength(Tail(o.file, i), o.length - i, Tail(n.file, j), n.length - j,
                      MatchLimit::kSmaller);
      if (L >= kShortestWindowRun && lastEnd < j) {
        AddCopyBlock(i, L, j);
        lastEnd = j + L;
      }
      i += L;
      j += L;
      j += 1;
    }
    if (i % 1000 == 0) {
      Report(progress, tagText, base + static_cast<int>(static_cast<double>(i) * 100.0 /
                                                static_cast<double>(m) / progress.tableCount));
    }
    i += 1;
  }
  TrimCopyBlocks();
  MakeLiteralBlocks(newTable);
  EncodeDifference();
  Report(progress, tagText, TableEnd(progress));
  return true;
}

void CSabunTagObject::AddCopyBlock(int64_t oldOffset, int64_t blockLength, int64_t newOffset) {
  copyBlocks.push_back(std::make_unique<COldTagObject>(static_cast<int32_t>(oldOffset),
                                                       static_cast<int32_t>(blockLength),
                                                       static_cast<int32_t>(newOffset)));
}

void CSabunTagObject::TrimCopyBlocks() {
  // Blocks are in ascending new offset. Longer-limit phases can run past the table or into the
  // previous block; cut them so the blocks cover disjoint parts of [0, length).
  std::vector<std::unique_ptr<COldTagObject>> kept;
  int64_t previousEnd = 0;
  for (auto& block : copyBlocks) {
    int64_t oldOffset = block->oldOffset, newOffset = block->newOffset, n = block->length;
    n = std::min<int64_t>(n, int64_t{length} - newOffset);
    if (!kept.empty() && newOffset < previousEnd) {
      const int64_t cut = previousEnd - newOffset;
      oldOffset += cut;
      newOffset += cut;
      n -= cut;
    }
    if (n <= 0) continue;
    block->oldOffset = static_cast<int32_t>(oldOffset);
    block->newOffset = static_cast<int32_t>(newOffset);
    block->length = static_cast<int32_t>(n);
    previousEnd = newOffset + n;
    kept.push_back(std::move(block));
  }
  copyBlocks = std::move(kept);
}

void CSabunTagObject::MakeLiteralBlocks(const CTagObject& newTable) {
  literalBlocks.clear();
  const int64_t ln = newTable.length;
  auto literal = [&](int64_t at, int64_t n) {
    const auto bytes = Tail(newTable.data, at).first(static_cast<size_t>(n));
    literalBlocks.push_back(std::make_unique<CNewTagObject>(static_cast<int32_t>(at), bytes));
  };
  if (copyBlocks.empty()) {
    literal(0, ln);
    return;
  }
  int64_t g = 0;
  for (size_t k = 0; k < copyBlocks.size(); ++k) {
    const COldTagObject& block = *copyBlocks[k];
    if (block.newOffset != 0) {
      literal(g, block.newOffset - g);
      g = int64_t{block.newOffset} + block.length;
    } else if (k == 0) {
      g = block.length;
    }
  }
  if (g < ln) literal(g, ln - g);
}

void CSabunTagObject::EncodeDifference() {
  encodedDifference.assign(static_cast<size_t>(DifferenceSize()), 0);
  const std::span<uint8_t> out(encodedDifference);
  size_t at = 0;
  auto put = [&](int32_t v) {
    (void)WriteU32At(out, at, static_cast<uint32_t>(v));
    at += 4;
  };
  put(static_cast<int32_t>(copyBlocks.size()));
  for (const auto& b : copyBlocks) {
    put(b->oldOffset);
    put(b->length);
    put(b->newOffset);
  }
  put(static_cast<int32_t>(literalBlocks.size()));
  for (const auto& b : literalBlocks) {
    put(b->newOffset);
    put(b->length);
    std::copy(b->bytes.begin(), b->bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += b->bytes.size();
  }
}

}  // namespace refontis
