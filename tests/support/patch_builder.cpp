// Composes patch files for tests. Written independently of the product's code.
#include "support/patch_builder.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace refontis::test {
namespace {

void AppendU32(Bytes& b, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(v >> (24 - 8 * k)));
}

Bytes EncodeDifference(const DifferenceSpec& d) {
  Bytes out;
  AppendU32(out, d.copyCount.value_or(static_cast<uint32_t>(d.copies.size())));
  for (const auto& c : d.copies) {
    AppendU32(out, c.oldOffset);
    AppendU32(out, c.length);
    AppendU32(out, c.newOffset);
  }
  AppendU32(out, d.literalCount.value_or(static_cast<uint32_t>(d.literals.size())));
  for (const auto& l : d.literals) {
    AppendU32(out, l.newOffset);
    AppendU32(out, l.declaredLength.value_or(static_cast<uint32_t>(l.bytes.size())));
    out.insert(out.end(), l.bytes.begin(), l.bytes.end());
  }
  return out;
}

std::vector<uint32_t> AreaOffsets(const PatchSpec& plan) {
  std::vector<uint32_t> offsets;
  uint32_t at = static_cast<uint32_t>(53 + 18 * plan.records.size());
  for (const auto& r : plan.records) {
    if (r.difference) {
      offsets.push_back(at);
      at += static_cast<uint32_t>(EncodeDifference(*r.difference).size());
    } else {
      offsets.push_back(0);
    }
  }
  return offsets;
}

std::vector<uint8_t> PhysicalOrder(const std::vector<DirectoryEntry>& entries) {
  std::vector<size_t> byOffset(entries.size());
  std::iota(byOffset.begin(), byOffset.end(), size_t{0});
  std::stable_sort(byOffset.begin(), byOffset.end(),
                   [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });
  std::vector<uint8_t> order(entries.size());
  for (size_t rank = 0; rank < byOffset.size(); ++rank) {
    order[byOffset[rank]] = static_cast<uint8_t>(rank);
  }
  return order;
}

}  // namespace

Bytes BuildPatch(const PatchSpec& plan) {
  if (plan.magic.size() != 4 || plan.fontName.size() > 32) {
    throw std::invalid_argument("magic must have 4 bytes and the font name at most 32");
  }
  Bytes out(plan.magic.begin(), plan.magic.end());
  Bytes name = plan.fontName;
  name.resize(32, 0);
  out.insert(out.end(), name.begin(), name.end());
  AppendU32(out, plan.fontRevision);
  AppendU32(out, plan.newFileSize);
  out.push_back(plan.tableCount.value_or(static_cast<uint8_t>(plan.records.size())));
  AppendU32(out, static_cast<uint32_t>(plan.revisionDate >> 32));
  AppendU32(out, static_cast<uint32_t>(plan.revisionDate));

  const std::vector<uint32_t> offsets = AreaOffsets(plan);
  for (size_t i = 0; i < plan.records.size(); ++i) {
    const RecordSpec& r = plan.records[i];
    if (r.tag.size() != 4) throw std::invalid_argument("tag must have 4 characters");
    out.insert(out.end(), r.tag.begin(), r.tag.end());
    out.push_back(r.directoryIndex);
    out.push_back(r.physicalOrder);
    AppendU32(out, r.differenceOffset.value_or(offsets[i]));
    AppendU32(out, r.length);
    AppendU32(out, r.offset);
  }
  for (const auto& r : plan.records) {
    if (!r.difference) continue;
    const Bytes area = EncodeDifference(*r.difference);
    out.insert(out.end(), area.begin(), area.end());
  }
  out.insert(out.end(), plan.trailing.begin(), plan.trailing.end());
  return out;
}

uint32_t DifferenceOffsetOf(const PatchSpec& plan, size_t i) { return AreaOffsets(plan).at(i); }

std::vector<DirectoryEntry> ReadDirectory(const Bytes& font) {
  std::vector<DirectoryEntry> entries;
  const uint16_t n = ReadU16(font, 4);
  for (size_t i = 0; i < n; ++i) {
    const size_t r = 12 + 16 * i;
    entries.push_back({std::string(font.begin() + static_cast<std::ptrdiff_t>(r),
                                   font.begin() + static_cast<std::ptrdiff_t>(r + 4)),
                       ReadU32(font, r + 4), ReadU32(font, r + 8), ReadU32(font, r + 12)});
  }
  return entries;
}

PatchSpec CarryOverPatch(const Bytes& newFont) {
  const auto entries = ReadDirectory(newFont);
  const auto order = PhysicalOrder(entries);
  PatchSpec plan;
  plan.fontName = Text("Fixture Full Name");
  plan.newFileSize = static_cast<uint32_t>(newFont.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    RecordSpec r;
    r.tag = entries[i].tag;
    r.directoryIndex = static_cast<uint8_t>(i);
    r.physicalOrder = order[i];
    r.length = entries[i].length;
    r.offset = entries[i].offset;
    plan.records.push_back(r);
  }
  return plan;
}

PatchSpec WholeLiteralPatch(const Bytes& newFont) {
  PatchSpec plan = CarryOverPatch(newFont);
  for (auto& r : plan.records) {
    const auto begin = newFont.begin() + static_cast<std::ptrdiff_t>(r.offset);
    r.difference = DifferenceSpec{{}, {{0, Bytes(begin, begin + r.length), std::nullopt}}};
  }
  return plan;
}

}  // namespace refontis::test
