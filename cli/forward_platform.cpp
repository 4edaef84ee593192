// Handing a command over to the whole command line, on each platform.
#include <cstdio>
#include <iostream>

#include "cli/forward.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace solmir::cli {

std::filesystem::path whole_program(const std::filesystem::path& argv0) {
#ifdef _WIN32
  const char* name = "solmir-cli-qt.exe";
#else
  const char* name = "solmir-cli-qt";
#endif
  // This program's own file: argv[0] has no folder when it was found on the PATH.
  std::filesystem::path self = argv0;
#ifdef __linux__
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.empty()) self = exe;
#endif
  const std::filesystem::path dir = self.parent_path();
  // Beside it in a build folder; in the program's library folder once installed.
  for (const std::filesystem::path& p : {dir / name, dir / ".." / "lib" / "solmir" / name}) {
    std::error_code e;
    if (std::filesystem::is_regular_file(p, e)) return p;
  }
  return dir.empty() ? std::filesystem::path(name) : dir / name;
}

int forward_to(const std::filesystem::path& program, const std::vector<std::string>& args) {
  std::fflush(stdout);
  std::cout.flush();
  std::vector<std::string> all;
  all.push_back(program.string());
  all.insert(all.end(), args.begin(), args.end());
  std::vector<const char*> argv;
  for (const std::string& a : all) argv.push_back(a.c_str());
  argv.push_back(nullptr);
#ifdef _WIN32
  const intptr_t status = _spawnv(_P_WAIT, all[0].c_str(), argv.data());
  if (status >= 0) return static_cast<int>(status);
#else
  execv(all[0].c_str(), const_cast<char* const*>(argv.data()));
#endif
  std::cerr << "Impossible de lancer " << program.string() << std::endl;
  return 1;
}

}  // namespace solmir::cli
