// Small helpers shared by the refontis-patch commands.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace refontis::tools {

std::string Hex(std::span<const uint8_t> bytes);
std::string Hex32(uint32_t value);               // 0x0001A000
std::string RevisionText(uint32_t fixed16_16);   // 2.000
std::string TagText(std::span<const uint8_t> tag);  // four bytes, unprintable ones as '?'
bool HasFlag(int argc, char** argv, std::string_view flag);

}  // namespace refontis::tools
