// Why a file is not a loadable font, in one line for the user.
#pragma once

#include <string>

#include "platform/platform.h"

namespace refontis::tools {

// The reason LoadFont refuses the file (it reports only a code).
std::string DiagnoseUnloadableFont(platform::Platform& platform, const std::string& path);

}  // namespace refontis::tools
