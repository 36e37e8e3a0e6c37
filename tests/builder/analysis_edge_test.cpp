// The difference analyses on hand-made tables whose blocks were worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "otf/tag_object.h"
#include "patch/match_length.h"
#include "patch/sabun_data.h"
#include "support/font_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using Copies = std::vector<std::array<int64_t, 3>>;    // old offset, length, new offset
using Literals = std::vector<std::array<int64_t, 2>>;  // new offset, length

enum class Strategy { kLongestMatch, kWindowScan };

// `count` bytes first, first + 1, ...: runs of distinct values never match each other.
Bytes Distinct(int first, int count) {
  Bytes b;
  for (int k = 0; k < count; ++k) b.push_back(static_cast<uint8_t>(first + k));
  return b;
}

// Filler that cycles through [first, first + 80): no three bytes of it occur in another filler.
Bytes Filler(int first, size_t count) {
  Bytes b;
  for (size_t k = 0; k < count; ++k) b.push_back(static_cast<uint8_t>(first + k % 80));
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

void Place(Bytes& into, size_t at, const Bytes& run) {
  std::copy(run.begin(), run.end(), into.begin() + static_cast<std::ptrdiff_t>(at));
}

// A table that is the first `length` bytes of `file`; the rest of the file follows it.
std::unique_ptr<CTagObject> TableOf(const Bytes& file, size_t length, const char* tag = "GSUB") {
  auto t = std::make_unique<CTagObject>();
  std::copy_n(tag, 4, t->tag.begin());
  std::copy_n(tag, 4, t->tagText);
  t->length = static_cast<uint32_t>(length);
  t->data = std::span<const uint8_t>(file);
  return t;
}

struct Outcome {
  Copies copies;
  Literals literals;
  Bytes encoded;
  bool rebuilds = false;  // the area applied to the old table gives the new table
};

Outcome Analyse(Strategy strategy, const Bytes& oldFile, size_t oldLength, const Bytes& newFile,
                size_t newLength) {
  const char* tag = strategy == Strategy::kWindowScan ? "CFF " : "GSUB";
  const auto oldTable = TableOf(oldFile, oldLength, tag);
  const auto newTable = TableOf(newFile, newLength, tag);
  CSabunTagObject sabun;
  const AnalysisProgress progress;
  if (strategy == Strategy::kWindowScan) {
    EXPECT_TRUE(sabun.AnalyseByWindowScan(*oldTable, *newTable, progress));
  } else {
    EXPECT_TRUE(sabun.AnalyseByLongestMatch(*oldTable, *newTable, progress));
  }
  Outcome out;
  for (const auto& c : sabun.copyBlocks)
    out.copies.push_back({c->oldOffset, c->length, c->newOffset});
  for (const auto& l : sabun.literalBlocks) out.literals.push_back({l->newOffset, l->length});
  out.encoded = sabun.encodedDifference;
  const auto target = TableOf(oldFile, oldLength, tag);
  if (target->ApplySabun(sabun) && target->newData.size() >= newLength) {
    out.rebuilds = Bytes(target->newData.begin(),
                         target->newData.begin() + static_cast<std::ptrdiff_t>(newLength)) ==
                   Bytes(newFile.begin(), newFile.begin() + static_cast<std::ptrdiff_t>(newLength));
  }
  return out;
}

Outcome Analyse(Strategy strategy, const Bytes& oldTable, const Bytes& newTable) {
  return Analyse(strategy, oldTable, oldTable.size(), newTable, newTable.size());
}

Bytes Words(std::initializer_list<uint32_t> words) {
  Bytes b(4 * words.size());
  size_t at = 0;
  for (const uint32_t w : words) {
    test::PutU32(b, at, w);
    at += 4;
  }
  return b;
}

TEST(AnalysisEdgeTest, IdenticalTablesAreOneCopyBlockForTheLongestMatch) {
  const Bytes table = Cat({Distinct(1, 70), Distinct(1, 70), Filler(0, 33)});
  const Outcome out = Analyse(Strategy::kLongestMatch, table, table);
  const auto m = static_cast<int64_t>(table.size());
  EXPECT_EQ(out.copies, (Copies{{0, m, 0}}));
  EXPECT_TRUE(out.literals.empty());
  EXPECT_EQ(out.encoded, Words({1, 0, static_cast<uint32_t>(m), 0, 0}));
  EXPECT_TRUE(out.rebuilds);
}

TEST(AnalysisEdgeTest, WindowScanMakesNoBlockAtNewOffsetZero) {
  // Identical CFF tables: the run at (0, 0) fails "lastEnd < j", so all of it is literal.
  const Bytes table = Cat({Distinct(1, 70), Filler(100, 400)});
  const Outcome out = Analyse(Strategy::kWindowScan, table, table);
  EXPECT_TRUE(out.copies.empty());
  EXPECT_EQ(out.literals, (Literals{{0, static_cast<int64_t>(table.size())}}));
  EXPECT_EQ(Bytes(out.encoded.begin(), out.encoded.begin() + 16),
            Words({0, 1, 0, static_cast<uint32_t>(table.size())}));
  EXPECT_TRUE(out.rebuilds);
}

// A shared run of `runLength` bytes at old 20 / new 50 in otherwise unrelated tables.
TEST(AnalysisEdgeTest, LongestMatchNeedsTenCommonBytes) {
  struct Case {
    int runLength;
    Copies copies;
    Literals literals;
  };
  const std::vector<Case> cases = {
      {9, {}, {{0, 100}}},
      {10, {{20, 10, 50}}, {{0, 50}, {60, 40}}},
  };
  for (const auto& c : cases) {
    Bytes oldTable = Distinct(0, 100), newTable = Distinct(100, 100);
    Place(oldTable, 20, Distinct(200, c.runLength));
    Place(newTable, 50, Distinct(200, c.runLength));
    const Outcome out = Analyse(Strategy::kLongestMatch, oldTable, newTable);
    EXPECT_EQ(out.copies, c.copies) << c.runLength;
    EXPECT_EQ(out.literals, c.literals) << c.runLength;
    EXPECT_TRUE(out.rebuilds) << c.runLength;
    if (c.copies.empty()) {
      Bytes whole = Words({0, 1, 0, 100});
      whole.insert(whole.end(), newTable.begin(), newTable.end());
      EXPECT_EQ(out.encoded, whole);
    }
  }
}

TEST(AnalysisEdgeTest, HeadWithNewRevisionChecksumAndModifiedTime) {
  const Bytes oldHead = test::BuildHeadTable(0x00010000, 0xAAAAAAAA);
  Bytes newHead = test::BuildHeadTable(0x0001028F, 0xBBBBBBBB);
  test::PutU32(newHead, 32, 0xA4A5A6A7);  // low half of `modified`
  ASSERT_EQ(oldHead.size(), 54u);
  const Outcome out = Analyse(Strategy::kLongestMatch, oldHead, newHead);
  EXPECT_EQ(out.copies, (Copies{{12, 20, 12}, {36, 18, 36}}));
  EXPECT_EQ(out.literals, (Literals{{0, 12}, {32, 4}}));
  EXPECT_EQ(out.encoded.size(), 8u + 24 + 16 + 16);
  EXPECT_TRUE(out.rebuilds);
}

// Longest match: old = A(40) Z(5) B(20), new = A(40) B(20): phase 3 finds B right where A ends.
TEST(AnalysisEdgeTest, TouchingCopyBlocksGiveAZeroLengthLiteral) {
  const Bytes a = Distinct(1, 40), z = Distinct(50, 5), b = Distinct(60, 20);
  const Outcome out = Analyse(Strategy::kLongestMatch, Cat({a, z, b}), Cat({a, b}));
  EXPECT_EQ(out.copies, (Copies{{0, 40, 0}, {45, 20, 40}}));
  EXPECT_EQ(out.literals, (Literals{{40, 0}}));
  EXPECT_EQ(out.encoded, Words({2, 0, 40, 0, 45, 20, 40, 1, 40, 0}));
  EXPECT_TRUE(out.rebuilds);
}

// Phases 2 and 3 count to the larger remaining length, so their blocks can leave the table or
// run into the phase-1 block; what is left must still rebuild the new table.
TEST(AnalysisEdgeTest, LongerLimitBlocksAreCutToTheTableAndToEachOther) {
  const Bytes a = Distinct(1, 40), z = Distinct(50, 5), b = Distinct(60, 30), t = Distinct(100, 10);
  {
    // New table A + B[0, 15); B's rest follows it in the file. Phase 3 measures B over 30
    // bytes from new 40; the block is cut at the table's end.
    const Bytes oldFile = Cat({a, z, b});
    const Bytes newFile = Cat({a, b, t});
    const Outcome out = Analyse(Strategy::kLongestMatch, oldFile, oldFile.size(), newFile, 55);
    EXPECT_EQ(out.copies, (Copies{{0, 40, 0}, {45, 15, 40}}));
    EXPECT_EQ(out.literals, (Literals{{40, 0}}));
    EXPECT_TRUE(out.rebuilds);
  }
  {
    // New table A + Y(12), followed in the file by B(20); old A + Z(25) + B(20). Phase 3's best
    // starts at new 52, the table's end: the block is dropped.
    const Bytes y = Distinct(120, 12), z25 = Distinct(140, 25), b20 = Distinct(60, 20);
    const Bytes oldFile = Cat({a, z25, b20});
    const Bytes newFile = Cat({a, y, b20});
    const Outcome out = Analyse(Strategy::kLongestMatch, oldFile, oldFile.size(), newFile, 52);
    EXPECT_EQ(out.copies, (Copies{{0, 40, 0}}));
    EXPECT_EQ(out.literals, (Literals{{40, 12}}));
    EXPECT_TRUE(out.rebuilds);
  }
  {
    // old = C(20) A[0,12) Q(3) A(60), new = X(5) C(20) A(60). Phase 1 takes A (35, 60, 25);
    // phase 2 measures C + A[0,12) = 32 bytes from (0, 5), into A's block, which is then cut
    // to start where the phase-2 block ends.
    const Bytes c = Distinct(100, 20), a60 = Distinct(1, 60), q = Distinct(200, 3),
                x = Distinct(210, 5);
    const Bytes oldTable = Cat({c, Bytes(a60.begin(), a60.begin() + 12), q, a60});
    const Bytes newTable = Cat({x, c, a60});
    const Outcome out = Analyse(Strategy::kLongestMatch, oldTable, newTable);
    EXPECT_EQ(out.copies, (Copies{{0, 32, 5}, {47, 48, 37}}));
    EXPECT_EQ(out.literals, (Literals{{0, 5}, {37, 0}}));
    EXPECT_TRUE(out.rebuilds);
  }
}

TEST(AnalysisEdgeTest, WindowScanCopiesRunsLongerThanThirtyBytes) {
  for (const int runLength : {30, 31}) {
    Bytes oldTable = Filler(0, 300), newTable = Filler(80, 300);
    Place(oldTable, 100, Distinct(160, runLength));
    Place(newTable, 100, Distinct(160, runLength));
    const Outcome out = Analyse(Strategy::kWindowScan, oldTable, newTable);
    if (runLength == 30) {
      EXPECT_TRUE(out.copies.empty());
      EXPECT_EQ(out.literals, (Literals{{0, 300}}));
    } else {
      EXPECT_EQ(out.copies, (Copies{{100, 31, 100}}));
      EXPECT_EQ(out.literals, (Literals{{0, 100}, {131, 169}}));
    }
    EXPECT_TRUE(out.rebuilds) << runLength;
  }
}

TEST(AnalysisEdgeTest, WindowScanLooksTenThousandBytesEitherWay) {
  struct Case {
    int64_t oldPos, newPos;
    bool found;
  };
  const std::vector<Case> cases = {
      {50, 50 + 9999, true}, {50, 50 + 10000, true}, {50, 50 + 10001, false},
      {50 + 9999, 50, true}, {50 + 10000, 50, true}, {50 + 10001, 50, false},
  };
  constexpr int64_t kLength = 10200;
  for (const auto& c : cases) {
    Bytes oldTable = Filler(0, kLength), newTable = Filler(80, kLength);
    Place(oldTable, static_cast<size_t>(c.oldPos), Distinct(160, 40));
    Place(newTable, static_cast<size_t>(c.newPos), Distinct(160, 40));
    const Outcome out = Analyse(Strategy::kWindowScan, oldTable, newTable);
    const std::string label = std::to_string(c.oldPos) + " -> " + std::to_string(c.newPos);
    if (c.found) {
      EXPECT_EQ(out.copies, (Copies{{c.oldPos, 40, c.newPos}})) << label;
      EXPECT_EQ(out.literals, (Literals{{0, c.newPos}, {c.newPos + 40, kLength - c.newPos - 40}}))
          << label;
    } else {
      EXPECT_TRUE(out.copies.empty()) << label;
      EXPECT_EQ(out.literals, (Literals{{0, kLength}})) << label;
    }
    EXPECT_TRUE(out.rebuilds) << label;
  }
}

// old = F(50) R1(40) X(5) R2(40) F, new = F'(50) R1 [gap] R2 F': R2 is copied only when at
// least one byte lies between it and R1's block in the new table.
TEST(AnalysisEdgeTest, WindowScanSkipsARunStartingAtThePreviousBlocksEnd) {
  const Bytes r1 = Distinct(160, 40), x = Distinct(240, 5), r2 = Distinct(200, 40);
  for (const size_t gap : {size_t{0}, size_t{1}}) {
    const Bytes oldTable = Cat({Filler(0, 50), r1, x, r2, Filler(0, 100)});
    const Bytes newTable =
        Cat({Filler(80, 50), r1, Distinct(250, static_cast<int>(gap)), r2, Filler(80, 100)});
    const Outcome out = Analyse(Strategy::kWindowScan, oldTable, newTable);
    const auto ln = static_cast<int64_t>(newTable.size());
    if (gap == 0) {
      EXPECT_EQ(out.copies, (Copies{{50, 40, 50}}));
      EXPECT_EQ(out.literals, (Literals{{0, 50}, {90, ln - 90}}));
    } else {
      EXPECT_EQ(out.copies, (Copies{{50, 40, 50}, {95, 40, 91}}));
      EXPECT_EQ(out.literals, (Literals{{0, 50}, {90, 1}, {131, ln - 131}}));
    }
    EXPECT_TRUE(out.rebuilds) << gap;
  }
}

TEST(AnalysisEdgeTest, MatchLengthLimitsAndFileEnd) {
  const Bytes twenty = Distinct(1, 20);
  Bytes differsAt13 = twenty;
  differsAt13[13] = 0;
  const Bytes shortFile = Distinct(1, 3);
  struct Case {
    const Bytes* a;
    int64_t lengthA;
    const Bytes* b;
    int64_t lengthB;
    MatchLimit limit;
    int64_t expected;
  };
  const std::vector<Case> cases = {
      {&twenty, 20, &twenty, 20, MatchLimit::kSmaller, 20},
      {&twenty, 5, &twenty, 20, MatchLimit::kSmaller, 5},
      {&twenty, 5, &twenty, 20, MatchLimit::kLarger, 20},
      {&twenty, 0, &twenty, 20, MatchLimit::kSmaller, 0},
      {&twenty, -3, &twenty, 9, MatchLimit::kSmaller, 0},
      {&twenty, -3, &twenty, 9, MatchLimit::kLarger, 9},
      {&twenty, -3, &twenty, -1, MatchLimit::kLarger, 0},
      {&twenty, 0, &twenty, 0, MatchLimit::kLarger, 0},
      {&twenty, 20, &differsAt13, 20, MatchLimit::kSmaller, 13},
      {&twenty, 12, &differsAt13, 20, MatchLimit::kSmaller, 12},
      // The file ends before the limit: the count stops there.
      {&shortFile, 50, &twenty, 50, MatchLimit::kSmaller, 3},
      {&twenty, 50, &shortFile, 1, MatchLimit::kLarger, 3},
  };
  for (size_t k = 0; k < cases.size(); ++k) {
    const Case& c = cases[k];
    EXPECT_EQ(MatchLength(*c.a, c.lengthA, *c.b, c.lengthB, c.limit), c.expected) << "case " << k;
  }
  // Every first difference position, across the word-at-a-time comparison.
  for (size_t at = 0; at < 20; ++at) {
    Bytes other = twenty;
    other[at] ^= 0x80;
    EXPECT_EQ(MatchLength(twenty, 20, other, 20, MatchLimit::kSmaller), static_cast<int64_t>(at));
  }
  EXPECT_EQ(MatchLength(std::span<const uint8_t>(), 10, twenty, 10, MatchLimit::kLarger), 0);
}

}  // namespace
}  // namespace refontis
