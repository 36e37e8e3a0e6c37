// Comparing a rebuilt font with the new font table by table, the name-ID-13 strings aside.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "otf/open_type_manager.h"

namespace refontis::tools {

struct TableVerdict {
  std::string tag;
  bool selected;  // the update settings describe this table by its difference
  bool present;   // the rebuilt font has a table with this tag
  bool equal;     // bytes equal, name-ID-13 strings and head's checkSumAdjustment aside
};

// Every table of `newFont` in directory order against the table of the same tag in `image`.
std::vector<TableVerdict> CompareWithNewFont(std::span<const uint8_t> image,
                                             const COpenTypeManager& newFont);

// Loads OLD as the update job does: LoadFont and both name-ID-13 strings. Empty on success,
// else the reason.
std::string LoadOldFontForRebuild(COpenTypeManager& font, const std::string& path);
// The same for a font already loaded: both name-ID-13 strings.
std::string ReadName13ForRebuild(COpenTypeManager& font);

}  // namespace refontis::tools
