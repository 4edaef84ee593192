// The road commands (listing, notes, image, export) run in a small program that loads no Qt
// library, so that a command over a MIDI file starts at once; every other command, and the
// help that lists them all, is handed to the whole command line beside it (forward_platform.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace solmir::cli {

// The program that holds every command, in the folder of this one.
std::filesystem::path whole_program(const std::filesystem::path& argv0);

// Runs program with args in place of this process (or waits for it where a process cannot be
// replaced) and gives its exit status; 1 with a French message when it cannot be started.
int forward_to(const std::filesystem::path& program, const std::vector<std::string>& args);

}  // namespace solmir::cli
