// The fast difference analyses give exactly the blocks of the literal oracle, and the blocks
// rebuild the new table.
#include <gtest/gtest.h>

#include <random>

#include "analysis_oracle.h"
#include "otf/tag_object.h"
#include "patch/sabun_data.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;

// An old and a new "file", each holding one table at some offset with bytes after it.
struct Pair {
  Bytes oldFile, newFile;
  size_t oldOffset = 0, newOffset = 0;
  int64_t oldLength = 0, newLength = 0;
};

std::unique_ptr<CTagObject> TableOf(const Bytes& file, size_t offset, int64_t length,
                                    const char* tag) {
  auto table = std::make_unique<CTagObject>();
  CTagObject& t = *table;
  std::copy_n(tag, 4, t.tag.begin());
  std::copy_n(tag, 4, t.tagText);
  t.offset = static_cast<uint32_t>(offset);
  t.length = static_cast<uint32_t>(length);
  t.data = std::span<const uint8_t>(file).subspan(offset);
  t.directoryIndex = 3;
  t.offsetIndex = 5;
  return table;
}

struct Recorded {
  std::vector<int> currents;
};

int Record(int, int current, const char*, OwnerWindow owner) {
  static_cast<Recorded*>(owner)->currents.push_back(current);
  return 0;
}

// Runs the production analysis and compares every block, the encoded area and the progress.
void ExpectSameAsOracle(const Pair& p, bool windowScan, const std::string& label) {
  const auto oldTable = TableOf(p.oldFile, p.oldOffset, p.oldLength, "GSUB");
  const auto newTable = TableOf(p.newFile, p.newOffset, p.newLength, "GSUB");
  Recorded recorded;
  AnalysisProgress progress;
  progress.fontName = "f";
  progress.callback = Record;
  progress.owner = &recorded;
  progress.tableCount = 7;
  progress.tablePosition = 2;
  CSabunTagObject fast;
  if (windowScan) {
    ASSERT_TRUE(fast.AnalyseByWindowScan(*oldTable, *newTable, progress));
  } else {
    ASSERT_TRUE(fast.AnalyseByLongestMatch(*oldTable, *newTable, progress));
  }
  const test::OracleTable o{std::span<const uint8_t>(p.oldFile).subspan(p.oldOffset), p.oldLength};
  const test::OracleTable n{std::span<const uint8_t>(p.newFile).subspan(p.newOffset), p.newLength};
  const test::OracleResult expected =
      windowScan ? test::OracleWindowScan(o, n, 7, 2) : test::OracleLongestMatch(o, n, 7, 2);

  std::vector<std::array<int64_t, 3>> copies;
  for (const auto& c : fast.copyBlocks) copies.push_back({c->oldOffset, c->length, c->newOffset});
  std::vector<std::array<int64_t, 2>> literals;
  for (const auto& l : fast.literalBlocks) literals.push_back({l->newOffset, l->length});
  EXPECT_EQ(copies, expected.copies) << label;
  EXPECT_EQ(literals, expected.literals) << label;
  EXPECT_EQ(fast.encodedDifference, expected.encoded) << label;
  EXPECT_EQ(recorded.currents, expected.reports) << label;
  EXPECT_TRUE(fast.hasDifference);
  EXPECT_EQ(fast.directoryIndex, 3);
  EXPECT_EQ(fast.physicalOrder, 5);
}

// Applies the produced blocks to the old table and checks that the new table comes out.
void ExpectRebuildsNewTable(const Pair& p, bool windowScan) {
  const auto oldTable = TableOf(p.oldFile, p.oldOffset, p.oldLength, "GSUB");
  const auto newTable = TableOf(p.newFile, p.newOffset, p.newLength, "GSUB");
  CSabunTagObject sabun;
  AnalysisProgress progress;
  if (windowScan) {
    ASSERT_TRUE(sabun.AnalyseByWindowScan(*oldTable, *newTable, progress));
  } else {
    ASSERT_TRUE(sabun.AnalyseByLongestMatch(*oldTable, *newTable, progress));
  }
  const auto target = TableOf(p.oldFile, p.oldOffset, p.oldLength, "GSUB");
  ASSERT_TRUE(target->ApplySabun(sabun));
  const Bytes want(p.newFile.begin() + static_cast<std::ptrdiff_t>(p.newOffset),
                   p.newFile.begin() + static_cast<std::ptrdiff_t>(p.newOffset + p.newLength));
  EXPECT_EQ(Bytes(target->newData.begin(), target->newData.begin() + p.newLength), want);
}

class PairMaker {
 public:
  explicit PairMaker(uint32_t seed) : rng_(seed) {}

  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  Bytes RandomBytes(size_t n, int alphabet) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(Uniform(0, alphabet - 1));
    return b;
  }

  // A revision of `base`: some edits of the kinds fonts see.
  Bytes Edit(const Bytes& base, int alphabet) {
    Bytes b = base;
    const int edits = Uniform(0, 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = b.empty() ? 0 : static_cast<size_t>(Uniform(0, static_cast<int>(b.size())));
      switch (Uniform(0, 4)) {
        case 0: {  // insertion
          const Bytes ins = RandomBytes(static_cast<size_t>(Uniform(1, 40)), alphabet);
          b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), ins.begin(), ins.end());
          break;
        }
        case 1: {  // deletion
          const size_t n = std::min(b.size() - at, static_cast<size_t>(Uniform(1, 60)));
          b.erase(b.begin() + static_cast<std::ptrdiff_t>(at),
                  b.begin() + static_cast<std::ptrdiff_t>(at + n));
          break;
        }
        case 2:  // overwrite
          for (size_t k = at; k < std::min(b.size(), at + static_cast<size_t>(Uniform(1, 8))); ++k) {
            b[k] = static_cast<uint8_t>(Uniform(0, alphabet - 1));
          }
          break;
        case 3: {  // a run moved elsewhere
          if (b.size() < 20) break;
          const size_t n = static_cast<size_t>(Uniform(5, static_cast<int>(std::min<size_t>(80, b.size() / 2))));
          const size_t from = static_cast<size_t>(Uniform(0, static_cast<int>(b.size() - n)));
          Bytes run(b.begin() + static_cast<std::ptrdiff_t>(from),
                    b.begin() + static_cast<std::ptrdiff_t>(from + n));
          b.erase(b.begin() + static_cast<std::ptrdiff_t>(from),
                  b.begin() + static_cast<std::ptrdiff_t>(from + n));
          const size_t to = static_cast<size_t>(Uniform(0, static_cast<int>(b.size())));
          b.insert(b.begin() + static_cast<std::ptrdiff_t>(to), run.begin(), run.end());
          break;
        }
        default: {  // a run of one repeated byte
          const Bytes run(static_cast<size_t>(Uniform(3, 50)), static_cast<uint8_t>(Uniform(0, 3)));
          b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), run.begin(), run.end());
          break;
        }
      }
    }
    return b;
  }

  // Tables placed in files with bytes before and after them; the bytes after the new table
  // often continue the old table, so runs cross the table's end. Sometimes the table ends the file.
  Pair Make(size_t maxLength) {
    const int alphabet = std::array<int, 4>{2, 4, 16, 256}[static_cast<size_t>(Uniform(0, 3))];
    Pair p;
    Bytes oldTable = RandomBytes(static_cast<size_t>(Uniform(0, static_cast<int>(maxLength))), alphabet);
    Bytes newTable = Uniform(0, 5) == 0 ? RandomBytes(static_cast<size_t>(Uniform(0, static_cast<int>(maxLength))), alphabet)
                                        : Edit(oldTable, alphabet);
    const Bytes prefixOld = RandomBytes(static_cast<size_t>(Uniform(0, 12)), alphabet);
    const Bytes prefixNew = RandomBytes(static_cast<size_t>(Uniform(0, 12)), alphabet);
    Bytes tail = RandomBytes(static_cast<size_t>(Uniform(0, 30)), alphabet);
    p.oldOffset = prefixOld.size();
    p.newOffset = prefixNew.size();
    p.oldLength = static_cast<int64_t>(oldTable.size());
    p.newLength = static_cast<int64_t>(newTable.size());
    p.oldFile = prefixOld;
    p.oldFile.insert(p.oldFile.end(), oldTable.begin(), oldTable.end());
    p.newFile = prefixNew;
    p.newFile.insert(p.newFile.end(), newTable.begin(), newTable.end());
    if (Uniform(0, 3) != 0) p.oldFile.insert(p.oldFile.end(), tail.begin(), tail.end());
    if (Uniform(0, 3) != 0) {
      if (Uniform(0, 1) == 0 && !oldTable.empty()) {
        // The new table is a shortened old one: its old tail follows in the new file.
        const size_t keep = static_cast<size_t>(Uniform(0, static_cast<int>(oldTable.size())));
        p.newFile.insert(p.newFile.end(), oldTable.begin() + static_cast<std::ptrdiff_t>(keep),
                         oldTable.end());
      }
      p.newFile.insert(p.newFile.end(), tail.begin(), tail.end());
    }
    return p;
  }

 private:
  std::mt19937 rng_;
};

class AnalysisAgainstOracle : public ::testing::TestWithParam<bool> {};

TEST_P(AnalysisAgainstOracle, GeneratedPairsGiveIdenticalBlocks) {
  const bool windowScan = GetParam();
  PairMaker maker(windowScan ? 1234 : 5678);
  for (int k = 0; k < 2500; ++k) {
    const Pair p = maker.Make(k % 10 == 0 ? 900 : 160);
    ExpectSameAsOracle(p, windowScan, "pair " + std::to_string(k));
    if (::testing::Test::HasFailure()) return;
  }
}

TEST_P(AnalysisAgainstOracle, TinyTablesIncludingShorterThanThreeBytes) {
  const bool windowScan = GetParam();
  for (int oldLength = 0; oldLength <= 4; ++oldLength) {
    for (int newLength = 0; newLength <= 4; ++newLength) {
      Pair p;
      p.oldFile = {7, 7, 7, 7, 7, 1};
      p.newFile = {7, 7, 7, 7, 7, 2};
      p.oldLength = oldLength;
      p.newLength = newLength;
      ExpectSameAsOracle(p, windowScan, std::to_string(oldLength) + "/" + std::to_string(newLength));
    }
  }
}

TEST_P(AnalysisAgainstOracle, ProducedBlocksRebuildTheNewTable) {
  const bool windowScan = GetParam();
  PairMaker maker(windowScan ? 99 : 77);
  for (int k = 0; k < 400; ++k) {
    ExpectRebuildsNewTable(maker.Make(300), windowScan);
    if (::testing::Test::HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Strategies, AnalysisAgainstOracle, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WindowScan" : "LongestMatch"; });

}  // namespace
}  // namespace refontis
