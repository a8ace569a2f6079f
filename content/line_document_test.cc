#include "content/line_document.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace scenario {
namespace {

std::string read_all(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(LineDocument, WritesUpToTheEndMarkerWithCrLf) {
  const std::array<std::string_view, 5> lines = {"", "uno ", "\xE0", kEndMarker, "never"};
  EXPECT_EQ(line_document_bytes(lines), std::string("\r\nuno \r\n\xE0\r\n"));
}

TEST(LineDocument, ReplacesALongerFileWhole) {
  const auto path = std::filesystem::temp_directory_path() / "line_document_test.txt";
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(5000, 'x');
  }
  const std::array<std::string_view, 2> lines = {"[fine]", kEndMarker};
  write_line_document(path.string(), lines);
  EXPECT_EQ(read_all(path), "[fine]\r\n");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace scenario
