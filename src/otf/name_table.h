// The name table read as records, for identification and the name-ID-13 (licence) texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "otf/tag_object.h"

namespace refontis {

inline constexpr size_t kRawTextSize = 260;
inline constexpr size_t kFifthNameTextMax = 254;  // characters, in a 255-byte buffer
inline constexpr size_t kName13BufferSize = 255;

class CNameRecordObject : public COpenTypeObject {
 public:
  uint16_t platformID = 0;
  uint16_t encodingID = 0;
  uint16_t languageID = 0;
  uint16_t nameID = 0;
  uint16_t length = 0;
  uint16_t offset = 0;
  // The string's bytes as stored, then zeros: at least 260 bytes, longer for a longer string,
  // so that a long licence text is kept whole and every text stays terminated.
  std::vector<uint8_t> rawText;
};

class CNameTableObject : public CTagObject {
 public:
  uint16_t format = 0;
  uint16_t count = 0;
  uint16_t stringOffset = 0;
  std::vector<std::unique_ptr<CNameRecordObject>> records;
};

// A name-ID-13 text: raw bytes, zero-filled, at least 255 bytes and growable.
using Name13Text = std::vector<uint8_t>;
Name13Text EmptyName13Text();

class CTagNameObject : public CTagObject {
 public:
  // Fills nameTable; false when the record array runs past the table.
  [[nodiscard]] bool ReadNameTable();
  // The fifth record's text (record index 4, whatever its platform), at most 254 characters.
  [[nodiscard]] bool ReadFifthNameText(std::string* text) const;
  // True only when both the Macintosh and the Windows name-ID-13 strings were found; the
  // buffers are written even when the result is false.
  [[nodiscard]] bool FindName13(Name13Text* macName13, Name13Text* winName13) const;

  CNameTableObject nameTable;
};

}  // namespace refontis
