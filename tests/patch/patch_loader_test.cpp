// Reading patches: the header readers and the whole-patch loaders on hand-made patch bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "patch/sabun_data.h"
#include "support/fake_platform.h"
#include "support/patch_builder.h"

namespace refontis {
namespace {

using test::Bytes;
using test::CopySpec;
using test::DifferenceSpec;
using test::LiteralSpec;
using test::PatchSpec;
using test::RecordSpec;

constexpr int kId = 2001;

// Two records: "head" without a difference area, "name" with one copy and one literal block.
PatchSpec TwoRecordPatch() {
  PatchSpec plan;
  plan.fontName = test::Text("Fixture Full Name");
  plan.fontRevision = 0x00012345;
  plan.newFileSize = 4000;
  plan.revisionDate = 0x00000000DD965E00ull;
  RecordSpec head{"head", 1, 0, 54, 1000, std::nullopt, std::nullopt};
  RecordSpec name{"name", 0, 1, 300, 1056, std::nullopt, std::nullopt};
  name.difference = DifferenceSpec{{{10, 20, 30}}, {{0, test::Text("literal"), std::nullopt}}};
  plan.records = {head, name};
  return plan;
}

class PatchLoaderTest : public ::testing::Test {
 protected:
  bool Load(const Bytes& bytes) {
    platform.resources.AddCopy(kPatchResourceType, kId, bytes);
    return patch.LoadFromResource(kId);
  }

  test::FakePlatform platform;
  CMakeSabunData patch{platform};
};

TEST_F(PatchLoaderTest, DecodesHeaderRecordsAndBlocks) {
  const PatchSpec plan = TwoRecordPatch();
  const Bytes bytes = test::BuildPatch(plan);
  ASSERT_TRUE(Load(bytes));

  EXPECT_EQ(0, std::memcmp(patch.magic.data(), "QLTP", 4));
  Bytes name = plan.fontName;
  name.resize(32, 0);
  EXPECT_EQ(Bytes(patch.fontName.begin(), patch.fontName.end()), name);
  EXPECT_EQ(patch.fontRevision, 0x00012345u);
  EXPECT_EQ(patch.newFileSize, 4000u);
  EXPECT_EQ(patch.tableCount, 2);
  const Bytes date = {0, 0, 0, 0, 0xDD, 0x96, 0x5E, 0x00};  // kept in file byte order
  EXPECT_EQ(Bytes(patch.revisionDate.begin(), patch.revisionDate.end()), date);
  EXPECT_EQ(patch.patchSize, bytes.size());
  ASSERT_EQ(patch.records.size(), 2u);

  const CSabunTagObject& head = *patch.records[0];
  EXPECT_STREQ(head.tagText, "head");
  EXPECT_EQ(head.directoryIndex, 1);
  EXPECT_EQ(head.physicalOrder, 0);
  EXPECT_EQ(head.differenceOffset, 0u);
  EXPECT_EQ(head.length, 54u);
  EXPECT_EQ(head.offset, 1000u);
  // No difference area: no blocks and the flag stays clear.
  EXPECT_FALSE(head.hasDifference);
  EXPECT_TRUE(head.copyBlocks.empty());
  EXPECT_TRUE(head.literalBlocks.empty());

  const CSabunTagObject& nameRecord = *patch.records[1];
  EXPECT_STREQ(nameRecord.tagText, "name");
  EXPECT_EQ(nameRecord.differenceOffset, 53u + 18 * 2);
  EXPECT_TRUE(nameRecord.hasDifference);
  ASSERT_EQ(nameRecord.copyBlocks.size(), 1u);
  EXPECT_EQ(nameRecord.copyBlocks[0]->oldOffset, 10);
  EXPECT_EQ(nameRecord.copyBlocks[0]->length, 20);
  EXPECT_EQ(nameRecord.copyBlocks[0]->newOffset, 30);
  ASSERT_EQ(nameRecord.literalBlocks.size(), 1u);
  EXPECT_EQ(nameRecord.literalBlocks[0]->newOffset, 0);
  EXPECT_EQ(nameRecord.literalBlocks[0]->length, 7);
  EXPECT_EQ(
      Bytes(nameRecord.literalBlocks[0]->bytes.begin(), nameRecord.literalBlocks[0]->bytes.end()),
      test::Text("literal"));

  EXPECT_EQ(patch.FindRecordByIndex(0), patch.records[1].get());
  EXPECT_EQ(patch.FindRecordByIndex(1), patch.records[0].get());
  EXPECT_EQ(patch.FindRecordByIndex(2), nullptr);
  EXPECT_EQ(patch.FindRecordByTag("name"), patch.records[1].get());
  EXPECT_EQ(patch.FindRecordByTag("nam"), nullptr);
}

TEST_F(PatchLoaderTest, FindsTheFirstOfRecordsSharingAnIndexOrTag) {
  PatchSpec plan = TwoRecordPatch();
  plan.records[1].tag = "head";
  plan.records[1].directoryIndex = 1;
  ASSERT_TRUE(Load(test::BuildPatch(plan)));
  EXPECT_EQ(patch.FindRecordByIndex(1), patch.records[0].get());
  EXPECT_EQ(patch.FindRecordByTag("head"), patch.records[0].get());
}

TEST_F(PatchLoaderTest, LoadsPatchWithoutTables) {
  PatchSpec plan;
  plan.newFileSize = 12;
  const Bytes bytes = test::BuildPatch(plan);
  ASSERT_EQ(bytes.size(), 53u);
  ASSERT_TRUE(Load(bytes));
  EXPECT_EQ(patch.tableCount, 0);
  EXPECT_TRUE(patch.records.empty());
}

TEST_F(PatchLoaderTest, BlockShapesThatLoad) {
  const struct {
    const char* what;
    DifferenceSpec difference;
    size_t copies, literals;
  } cases[] = {
      {"whole table as one literal (N=0, M=1)", {{}, {{0, Bytes(40, 0xAB), std::nullopt}}}, 0, 1},
      {"copies only (M=0)", {{{0, 8, 0}, {8, 8, 8}}, {}}, 2, 0},
      {"no blocks at all", {{}, {}}, 0, 0},
      {"literal of length 0", {{{0, 4, 0}, {4, 4, 4}}, {{4, {}, std::nullopt}}}, 2, 1},
      // Counts are signed: zero or less means no blocks of that kind.
      {"negative copy count", {{}, {{0, Bytes(3, 1), std::nullopt}}, 0xFFFFFFFFu}, 0, 1},
      {"negative literal count", {{{0, 4, 0}}, {}, std::nullopt, 0x80000000u}, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PatchSpec plan;
    plan.records = {{"CFF ", 0, 0, 40, 12, c.difference, std::nullopt}};
    test::FakePlatform fresh;
    fresh.resources.AddCopy(kPatchResourceType, kId, test::BuildPatch(plan));
    CMakeSabunData loaded(fresh);
    ASSERT_TRUE(loaded.LoadFromResource(kId));
    const CSabunTagObject& r = *loaded.records.at(0);
    EXPECT_TRUE(r.hasDifference);
    EXPECT_EQ(r.copyBlocks.size(), c.copies);
    ASSERT_EQ(r.literalBlocks.size(), c.literals);
    for (size_t k = 0; k < c.literals; ++k) {
      const Bytes& want = c.difference.literals[k].bytes;
      EXPECT_EQ(r.literalBlocks[k]->length, static_cast<int32_t>(want.size()));
      EXPECT_EQ(Bytes(r.literalBlocks[k]->bytes.begin(), r.literalBlocks[k]->bytes.end()), want);
    }
  }
}

TEST_F(PatchLoaderTest, DifferenceOffsetMustLieInsideThePatch) {
  // The smallest area (both counts 0, 8 bytes) as the very end of the patch loads.
  PatchSpec plan;
  plan.records = {{"CFF ", 0, 0, 40, 12, DifferenceSpec{}, std::nullopt}};
  const Bytes bytes = test::BuildPatch(plan);
  ASSERT_EQ(test::DifferenceOffsetOf(plan, 0), bytes.size() - 8);
  {
    test::FakePlatform p;
    p.resources.AddCopy(kPatchResourceType, kId, bytes);
    CMakeSabunData loaded(p);
    EXPECT_TRUE(loaded.LoadFromResource(kId));
  }
  // At the patch size, and at one byte less (where the area has no room for its counts).
  for (const uint32_t offset : {uint32_t(bytes.size()), uint32_t(bytes.size() - 1),
                                uint32_t(bytes.size() + 100), 0xFFFFFFFFu}) {
    SCOPED_TRACE(offset);
    plan.records[0].differenceOffset = offset;
    test::FakePlatform p;
    p.resources.AddCopy(kPatchResourceType, kId, test::BuildPatch(plan));
    CMakeSabunData loaded(p);
    EXPECT_FALSE(loaded.LoadFromResource(kId));
  }
}

TEST_F(PatchLoaderTest, RefusesPatchesThatRunPastTheirEnd) {
  using Mutation = std::function<void(PatchSpec&, Bytes&)>;
  const struct {
    const char* what;
    Mutation mutate;
  } cases[] = {
      {"missing resource bytes: empty", [](PatchSpec&, Bytes& b) { b.clear(); }},
      {"header cut short", [](PatchSpec&, Bytes& b) { b.resize(52); }},
      {"header only, records missing", [](PatchSpec&, Bytes& b) { b.resize(53); }},
      {"second record cut short", [](PatchSpec&, Bytes& b) { b.resize(53 + 18 + 17); }},
      {"table count above the records present",
       [](PatchSpec& s, Bytes& b) {
         s.tableCount = 3;
         s.records[1].difference.reset();
         b = test::BuildPatch(s);
       }},
      {"copy count beyond the patch",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->copyCount = 2;
         b = test::BuildPatch(s);
       }},
      {"copy count that cannot fit in memory",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->copyCount = 0x7FFFFFFF;
         b = test::BuildPatch(s);
       }},
      {"literal count beyond the patch",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->literalCount = 2;
         b = test::BuildPatch(s);
       }},
      {"literal count that cannot fit in memory",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->literalCount = 0x7FFFFFFF;
         b = test::BuildPatch(s);
       }},
      {"literal bytes cut by one", [](PatchSpec&, Bytes& b) { b.pop_back(); }},
      {"literal length one past the end",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->literals[0].declaredLength = 8;
         b = test::BuildPatch(s);
       }},
      {"literal length near 2^31",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->literals[0].declaredLength = 0x7FFFFFFF;
         b = test::BuildPatch(s);
       }},
      {"negative literal length",
       [](PatchSpec& s, Bytes& b) {
         s.records[1].difference->literals[0].declaredLength = 0xFFFFFFF9u;
         b = test::BuildPatch(s);
       }},
      {"copy list cut inside a block", [](PatchSpec&, Bytes& b) { b.resize(53 + 36 + 4 + 6); }},
      {"literal count cut", [](PatchSpec&, Bytes& b) { b.resize(53 + 36 + 4 + 12 + 2); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PatchSpec plan = TwoRecordPatch();
    Bytes bytes = test::BuildPatch(plan);
    c.mutate(plan, bytes);
    test::FakePlatform p;
    p.resources.AddCopy(kPatchResourceType, kId, bytes);
    p.files["/p.pa"] = bytes;
    CMakeSabunData fromResource(p), fromFile(p), fromBytes(p);
    EXPECT_FALSE(fromResource.LoadFromResource(kId));
    EXPECT_FALSE(fromFile.LoadFromFile("/p.pa"));
    EXPECT_FALSE(fromBytes.LoadFromBytes(bytes));
  }
}

TEST_F(PatchLoaderTest, MissingResourceOrFileDoesNotLoad) {
  EXPECT_FALSE(patch.LoadFromResource(kId));
  EXPECT_FALSE(patch.LoadFromFile("/absent.pa"));
  // A resource of another type with the same id is not a patch.
  platform.resources.AddCopy("INIFILE", kId, test::BuildPatch(TwoRecordPatch()));
  EXPECT_FALSE(patch.LoadFromResource(kId));
  platform.files["/empty.pa"] = {};
  CMakeSabunData other(platform);
  EXPECT_FALSE(other.LoadFromFile("/empty.pa"));
}

TEST_F(PatchLoaderTest, LoadFromFileGivesTheSameAsTheResource) {
  const Bytes bytes = test::BuildPatch(TwoRecordPatch());
  platform.files["/fonts/p.pa"] = bytes;
  ASSERT_TRUE(patch.LoadFromFile("/fonts/p.pa"));
  EXPECT_EQ(Bytes(patch.patchBytes.begin(), patch.patchBytes.end()), bytes);
  ASSERT_EQ(patch.records.size(), 2u);
  EXPECT_EQ(patch.records[1]->copyBlocks.size(), 1u);
}

TEST_F(PatchLoaderTest, BadMagicIsRefusedByHeaderReadersButStillLoads) {
  PatchSpec plan = TwoRecordPatch();
  plan.magic = "QLTp";
  const Bytes bytes = test::BuildPatch(plan);
  platform.resources.AddCopy(kPatchResourceType, kId, bytes);
  platform.files["/p.pa"] = bytes;
  PatchFontName name{};
  uint32_t revision = 0;
  EXPECT_FALSE(patch.ReadHeaderFromResource(kId, &name, &revision));
  EXPECT_FALSE(patch.ReadHeaderFromFile("/p.pa", &name, &revision));
  ASSERT_TRUE(patch.LoadFromResource(kId));
  EXPECT_EQ(0, std::memcmp(patch.magic.data(), "QLTp", 4));
  EXPECT_EQ(patch.records.size(), 2u);
}

TEST_F(PatchLoaderTest, HeaderReadersGiveNameAndRevisionAndKeepNothing) {
  PatchSpec plan = TwoRecordPatch();
  const Bytes full32 = test::Text("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
  ASSERT_EQ(full32.size(), 32u);
  plan.fontName = full32;
  const Bytes bytes = test::BuildPatch(plan);
  platform.resources.AddCopy(kPatchResourceType, kId, bytes);
  platform.files["/p.pa"] = bytes;
  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "file" : "resource");
    PatchFontName name{};
    uint32_t revision = 0;
    ASSERT_TRUE(fromFile ? patch.ReadHeaderFromFile("/p.pa", &name, &revision)
                         : patch.ReadHeaderFromResource(kId, &name, &revision));
    // A 32-byte name fills the field with no terminating zero.
    EXPECT_EQ(Bytes(name.begin(), name.end()), full32);
    EXPECT_EQ(revision, 0x00012345u);
  }
  EXPECT_TRUE(patch.records.empty());
  EXPECT_EQ(patch.patchSize, 0u);
}

TEST_F(PatchLoaderTest, HeaderReadersNeedTheWholeHeader) {
  const Bytes full = test::BuildPatch(TwoRecordPatch());
  const struct {
    size_t size;
    bool readable;
  } cases[] = {{0, false}, {4, false}, {40, false}, {52, false}, {53, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const Bytes bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.size));
    test::FakePlatform p;
    if (!bytes.empty()) p.resources.AddCopy(kPatchResourceType, kId, bytes);
    p.files["/p.pa"] = bytes;
    CMakeSabunData reader(p);
    PatchFontName name{};
    uint32_t revision = 0;
    EXPECT_EQ(reader.ReadHeaderFromResource(kId, &name, &revision), c.readable);
    EXPECT_EQ(reader.ReadHeaderFromFile("/p.pa", &name, &revision), c.readable);
  }
  // The resource is served exactly as registered: a "QLTP" of four bytes, nothing after it.
  test::FakePlatform p;
  static const uint8_t kMagicOnly[4] = {'Q', 'L', 'T', 'P'};
  p.resources.Add(kPatchResourceType, kId, kMagicOnly);
  CMakeSabunData reader(p);
  PatchFontName name{};
  uint32_t revision = 0;
  EXPECT_FALSE(reader.ReadHeaderFromResource(kId, &name, &revision));
  EXPECT_FALSE(reader.LoadFromResource(kId));
}

}  // namespace
}  // namespace refontis
