// The resources built into the program (the configuration and the patches).
#pragma once

#include "platform/resource_table.h"

namespace refontis {

void RegisterEmbeddedResources(platform::ResourceTable& table);

}  // namespace refontis
