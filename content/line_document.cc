#include "content/line_document.h"

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
  replace_file(path, line_document_bytes(lines));
}

}  // namespace scenario
