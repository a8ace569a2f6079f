// Every text file of the scenario (the two definitions and the three driver
// documents) is a table of lines closed by the end marker. The writer
// replaces the file whole and writes each line up to, not including, the
// marker, followed by CR LF; the lines are already ANSI (Windows-1252) bytes.
#ifndef CONTENT_LINE_DOCUMENT_H_
#define CONTENT_LINE_DOCUMENT_H_

#include <span>
#include <string>
#include <string_view>

namespace scenario {

inline constexpr std::string_view kEndMarker = "riferimento fine del file";

// The bytes the writer puts in the file.
std::string line_document_bytes(std::span<const std::string_view> lines);

// Replaces the file at `path`. Throws file_error (model/output_files.h).
void write_line_document(const std::string& path, std::span<const std::string_view> lines);

}  // namespace scenario

#endif  // CONTENT_LINE_DOCUMENT_H_
