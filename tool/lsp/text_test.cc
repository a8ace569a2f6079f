#include <gtest/gtest.h>

#include <string>

#include "model/ansi_text.h"
#include "tool/lsp/text.h"

namespace scenario::tool {
namespace {

TEST(LspText, ColumnsOfTheDefinitionAgainstTheEditorsUtf16) {
  // "à" is one byte in the definition, two in UTF-8, one UTF-16 unit; the
  // train emoji has no Windows-1252 byte ('?') and takes two UTF-16 units.
  const std::string editor = "velocit\xC3\xA0\xF0\x9F\x9A\x86,  0, 80";
  const std::string ansi = utf8_to_ansi(editor);
  EXPECT_EQ(ansi, "velocit\xE0?,  0, 80");
  const size_t eighty = ansi.find("80");
  EXPECT_EQ(utf16_column(editor, eighty), eighty + 1);
  EXPECT_EQ(byte_offset(editor, static_cast<uint32_t>(eighty + 1)), eighty);
  EXPECT_EQ(utf16_column(editor, 0), 0u);
  EXPECT_EQ(utf16_column(editor, 1000), 18u);  // past the end: the line's length
  // Every Windows-1252 character comes back as itself.
  std::string all;
  for (int b = 0x20; b < 0x100; ++b) all.push_back(static_cast<char>(b));
  std::string expected = all;
  for (char& c : expected) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) c = '?';  // no character there
  }
  EXPECT_EQ(utf8_to_ansi(ansi_to_utf8(all)), expected);
  // A file read as Latin-1 comes back byte for byte.
  EXPECT_EQ(utf8_to_ansi("\xC2\x80 \xC3\xA0"), "\x80 \xE0");
  // Broken UTF-8 is one '?' a byte, so columns still line up.
  EXPECT_EQ(utf8_to_ansi("a\xC3(\xE2\x82"), "a?(??");
}

}  // namespace
}  // namespace scenario::tool
