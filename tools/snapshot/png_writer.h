// Writing an RGB image as an 8-bit PNG file.
#pragma once

#include <string>

#include "tools/snapshot/editor_snapshot.h"

namespace zarpa::snapshot {

bool writePng(const std::string& path, const Image& image, std::string& error);

}  // namespace zarpa::snapshot
