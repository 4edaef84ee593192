#include "base/file_read.h"

#include <fstream>

namespace solmir {

namespace {

std::string size_text(std::uintmax_t bytes) {
  if (bytes >= (std::uintmax_t{1} << 20) && bytes % (std::uintmax_t{1} << 20) == 0)
    return std::to_string(bytes >> 20) + " Mio";
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " Kio";
  return std::to_string(bytes) + " octets";
}

}  // namespace

std::string file_too_large_message(const std::filesystem::path& path, std::uintmax_t limit) {
  return "Fichier trop volumineux (plus de " + size_text(limit) + ") : " + path.string();
}

std::string read_regular_file(const std::filesystem::path& path, std::uintmax_t limit,
                              const std::string& unreadable_prefix) {
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  if (st.type() == std::filesystem::file_type::not_found)
    throw FileReadFailure(FileReadProblem::missing, unreadable_prefix + path.string());
  if (ec) throw FileReadFailure(FileReadProblem::unreadable, unreadable_prefix + path.string());
  if (st.type() != std::filesystem::file_type::regular)
    throw FileReadFailure(
        FileReadProblem::not_regular,
        "Ce n'est pas un fichier ordinaire (dossier, tube ou périphérique) : " + path.string());
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) throw FileReadFailure(FileReadProblem::unreadable, unreadable_prefix + path.string());
  if (size > limit)
    throw FileReadFailure(FileReadProblem::too_large, file_too_large_message(path, limit));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileReadFailure(FileReadProblem::unreadable, unreadable_prefix + path.string());
  // The file may change while it is read: never more than the limit, whatever its size now.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  if (in.bad())
    throw FileReadFailure(FileReadProblem::unreadable, unreadable_prefix + path.string());
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.gcount() == static_cast<std::streamsize>(size) && size < limit) {
    // Whatever grew since the size was taken, up to the limit.
    char more[4096];
    while (in.read(more, sizeof more), in.gcount() > 0) {
      if (bytes.size() + static_cast<std::size_t>(in.gcount()) > limit)
        throw FileReadFailure(FileReadProblem::too_large, file_too_large_message(path, limit));
      bytes.append(more, static_cast<std::size_t>(in.gcount()));
    }
  }
  return bytes;
}

}  // namespace solmir
