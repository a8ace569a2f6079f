// Test support: the lines of a written text file, checked for CR LF ends.
#ifndef CONTENT_LINE_DOCUMENT_TESTING_H_
#define CONTENT_LINE_DOCUMENT_TESTING_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace scenario::testing {

// Splits written bytes at CR LF. A lone CR or LF, or bytes after the last
// CR LF, fail the test.
inline std::vector<std::string> split_crlf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "bytes after the last CR LF: " << bytes.substr(start);
      break;
    }
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF in: " << line;
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

}  // namespace scenario::testing

#endif  // CONTENT_LINE_DOCUMENT_TESTING_H_
