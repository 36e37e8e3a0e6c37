// Converting the program's code-page-932 texts for a UTF-8 terminal, and back.
#pragma once

#include <string>

namespace refontis::platform {

// Bytes that do not convert are replaced by '?'.
std::string Cp932ToUtf8(const std::string& text);
std::string Utf8ToCp932(const std::string& text);

}  // namespace refontis::platform
