#include "content/line_document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "model/output_files.h"

namespace scenario {

std::string line_document_bytes(std::span<const std::string_view> lines) {
  std::string bytes;
  for (std::string_view line : lines) {
    if (line == kEndMarker) break;
    bytes.append(line);
    bytes.append("\r\n");
  }
  return bytes;
}

void write_line_document(const std::string& path, std::span<const std::string_view> lines) {
  const std::string bytes = line_document_bytes(lines);
  // Truncating open: an older, longer file leaves no trailing bytes.
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw file_error("cannot create " + path + ": " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int write_errno = errno;
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    throw file_error("cannot write " + path + ": " + std::strerror(written ? errno : write_errno));
  }
}

}  // namespace scenario
