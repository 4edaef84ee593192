// Writing a whole file so that a failed write leaves any file already there as it was.
#pragma once

#include <filesystem>
#include <string>

namespace solmir {

// Writes bytes through a sibling temporary file renamed over path. False when the file could
// not be written (nothing is left behind then).
bool write_whole_file(const std::filesystem::path& path, const std::string& bytes);

}  // namespace solmir
