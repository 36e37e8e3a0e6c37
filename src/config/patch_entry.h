// One configured patch file, and one usable patch with the font it applies to.
#pragma once

#include <cstdint>
#include <string>

namespace refontis {

struct PatchFileEntry {
  std::string fontFileName;   // the expected font file name, stem + ".otf"
  uint32_t resourceId = 0;    // id of the patch's FONT_PA resource
  std::string patchFileName;  // the FONT_PAFILE value as configured, for messages
};

struct PatchEntry {
  std::string patchFileName;
  std::string fontFileName;
  std::string headerFontName;  // the patch header's font name, up to its first zero byte
  std::string stem;            // fontFileName without its extension
  uint32_t version = 0;        // the font revision the patch applies to (16.16 fixed point)
  uint32_t resourceId = 0;
};

}  // namespace refontis
