// Reading a whole file that comes from outside (a MIDI file, solmir.ini, a table file, a card
// file): only a regular file is read, and only up to a size that suits what it holds, so that
// a FIFO does not block, a device does not fill the memory and a huge file is refused at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/failure.h"

namespace solmir {

// Why a file was not read.
enum class FileReadProblem {
  missing,      // no such file
  not_regular,  // a folder, a FIFO, a device, ...
  too_large,    // larger than the limit
  unreadable,   // it could not be opened or read
};

class FileReadFailure : public RunFailure {
 public:
  FileReadFailure(FileReadProblem problem, const std::string& message)
      : RunFailure(message), problem(problem) {}
  FileReadProblem problem;
};

inline constexpr std::uintmax_t kMidiFileLimit = std::uintmax_t{1} << 30;  // 1 Gio

// The bytes of the regular file at path, at most limit of them. unreadable_prefix starts the
// message of a file that is missing or cannot be opened or read ("Impossible de lire le
// fichier midi : ");
// the other refusals say what the file is. Throws FileReadFailure.
std::string read_regular_file(const std::filesystem::path& path, std::uintmax_t limit,
                              const std::string& unreadable_prefix);

// The French message of a file larger than limit bytes.
std::string file_too_large_message(const std::filesystem::path& path, std::uintmax_t limit);

}  // namespace solmir
