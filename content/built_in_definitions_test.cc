#include <gtest/gtest.h>

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/line_document_testing.h"
#include "content/train_definition.h"

namespace scenario {
namespace {

using testing::split_crlf;

struct LengthRange {
  int first;
  int last;
  std::size_t length;
};

struct ExactLine {
  int number;
  std::string_view text;
};

struct DefinitionCase {
  const char* name;
  std::span<const std::string_view> (*lines)();
  std::size_t bytes;
  std::size_t line_count;
  std::vector<LengthRange> lengths;
  std::vector<ExactLine> exact;
};

const std::vector<DefinitionCase>& definition_cases() {
  static const std::vector<DefinitionCase> cases = {
      {"line definition",
       line_definition_lines,
       6702,
       215,
       {{1, 1, 10},   {2, 2, 28},    {3, 3, 50},    {4, 5, 46},    {6, 7, 20},    {8, 8, 16},
        {9, 9, 40},   {10, 10, 7},   {11, 11, 20},  {12, 12, 21},  {93, 93, 10},  {94, 94, 44},
        {95, 95, 17}, {99, 99, 21},  {126, 126, 10}, {127, 127, 26}, {128, 138, 28}, {139, 139, 29},
        {140, 168, 30}, {169, 169, 10}, {170, 170, 53}, {171, 171, 13}, {172, 172, 47}, {215, 215, 6}},
       {{1, "[generale]"},
        {9, "ripetizione segnali 4 codici,    0    ,0"},
        {11, "curvas5,  200 , 150 "},
        {12, "curvas4,  1150 , 200 "},
        {92, "curvas5,  38850 , 550 "},
        {94, "- altitudine iniziale Brenvalo T. 352 m. slm"},
        {95, "pendenza,  0,   0"},
        {98, "pendenza,  900,   7"},
        {99, "pendenza,  1600,  11 "},
        {125, "pendenza,  39250,  -2 "},
        {127, "montagna,   600,  850,  11"},
        {168, "montagna,   33500,  34050,  11"},
        {170, "indicatori_vmax,  300,  75,  80,  80,  0,  ,  ,  ,  0"},
        {172, "cartello_indicatore,  550,   (MADONNA)(261 m. )"},
        {189, "cartello_indicatore,  14400,   (CULMINE)"},
        {214, "cartello_indicatore,  33450,   (VAIONI)(535 m.)"},
        {215, "[fine]"}}},
      {"train definition",
       train_definition_lines,
       2736,
       65,
       {{1, 1, 10},   {2, 2, 20},   {3, 3, 33},   {4, 4, 14},   {5, 5, 46},   {6, 6, 10},
        {7, 30, 24},  {31, 31, 12}, {32, 32, 24}, {33, 33, 10}, {34, 34, 86}, {35, 35, 93},
        {36, 36, 90}, {37, 37, 88}, {38, 42, 80}, {43, 43, 82}, {44, 44, 85}, {45, 45, 79},
        {46, 46, 15}, {47, 48, 46}, {49, 49, 9},  {50, 50, 51}, {51, 51, 53}, {52, 56, 51},
        {57, 57, 53}, {58, 63, 51}, {64, 64, 8},  {65, 65, 6}},
       {{1, "[generale]"},
        {5, "orologio,    9               20            30 "},
        {30, "aderenza,   37000,   100"},
        {32, "velocita,       0,    80"},
        {34, "stazione,       0, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,48, 0, BRENVALO TERME"},
        {45, "stazione,   39900,  4,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  10,13, 0, MORVENA"},
        {47, "rallentamento,    4850,    30,  900, 0,  0,  0"},
        {51, "segnale,    7000,   2, 3, 1,  0, 0,    0,  0,0,0, 230"},
        {64, "[codici]"},
        {65, "[fine]"}}},
  };
  return cases;
}

TEST(BuiltInDefinition, LinesSizesAndEndings) {
  for (const DefinitionCase& c : definition_cases()) {
    SCOPED_TRACE(c.name);
    const std::span<const std::string_view> table = c.lines();
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.back(), kEndMarker);

    const std::string bytes = line_document_bytes(table);
    EXPECT_EQ(bytes.size(), c.bytes);
    EXPECT_EQ(bytes.find(kEndMarker), std::string::npos);
    for (unsigned char b : bytes) EXPECT_LT(b, 0x80) << "byte outside ASCII";

    const std::vector<std::string> lines = split_crlf(bytes);
    ASSERT_EQ(lines.size(), c.line_count);
    for (const LengthRange& r : c.lengths) {
      for (int n = r.first; n <= r.last; ++n) {
        EXPECT_EQ(lines[n - 1].size(), r.length) << "line " << n << ": \"" << lines[n - 1] << '"';
      }
    }
    for (const ExactLine& e : c.exact) EXPECT_EQ(lines[e.number - 1], e.text) << "line " << e.number;
  }
}

// Which record lines keep one trailing blank: curves and the gradients from
// line 99 do, the first four gradients, tunnels and boards do not.
TEST(BuiltInDefinition, LineDefinitionTrailingBlanks) {
  struct Range {
    int first;
    int last;
    bool trailing_blank;
  };
  const Range ranges[] = {{11, 92, true}, {95, 98, false}, {99, 125, true}, {127, 168, false}, {172, 214, false}};
  const std::vector<std::string> lines = split_crlf(line_document_bytes(line_definition_lines()));
  ASSERT_EQ(lines.size(), 215u);
  for (const Range& r : ranges) {
    for (int n = r.first; n <= r.last; ++n) {
      const std::string& line = lines[n - 1];
      ASSERT_FALSE(line.empty());
      const bool one_blank = line.size() >= 2 && line.back() == ' ' && line[line.size() - 2] != ' ';
      EXPECT_EQ(one_blank, r.trailing_blank) << "line " << n << ": \"" << line << '"';
      EXPECT_FALSE(line.ends_with("  ")) << "line " << n;
    }
  }
}

// The records themselves: curves in order without overlap, every position a
// multiple of 50, and a board 50 m before each tunnel.
TEST(BuiltInDefinition, LineDefinitionRecordsAreCoherent) {
  const std::vector<std::string> lines = split_crlf(line_document_bytes(line_definition_lines()));
  ASSERT_EQ(lines.size(), 215u);

  int sides[2] = {0, 0};
  int digits[3] = {0, 0, 0};
  int previous_end = 0;
  for (int n = 11; n <= 92; ++n) {
    char side = 0;
    int digit = 0, start = 0, length = 0;
    ASSERT_EQ(std::sscanf(lines[n - 1].c_str(), "curva%c%1d,  %d , %d ", &side, &digit, &start, &length), 4)
        << "line " << n;
    ASSERT_TRUE(side == 's' || side == 'd') << "line " << n;
    ASSERT_TRUE(digit >= 4 && digit <= 6) << "line " << n;
    ++sides[side == 'd'];
    ++digits[digit - 4];
    EXPECT_GE(start, previous_end) << "line " << n;
    EXPECT_EQ(start % 50, 0) << "line " << n;
    EXPECT_EQ(length % 50, 0) << "line " << n;
    previous_end = start + length;
  }
  EXPECT_EQ(sides[0], 41);
  EXPECT_EQ(sides[1], 41);
  EXPECT_EQ(digits[0], 8);
  EXPECT_EQ(digits[1], 32);
  EXPECT_EQ(digits[2], 42);

  std::vector<int> tunnel_starts;
  int previous_tunnel_end = 0;
  for (int n = 127; n <= 168; ++n) {
    int start = 0, end = 0, type = 0;
    ASSERT_EQ(std::sscanf(lines[n - 1].c_str(), "montagna,   %d,  %d,  %d", &start, &end, &type), 3) << "line " << n;
    EXPECT_GT(start, previous_tunnel_end) << "line " << n;
    EXPECT_GT(end, start) << "line " << n;
    EXPECT_TRUE(type == 11 || type == 12) << "line " << n;
    EXPECT_EQ(start % 50 + end % 50, 0) << "line " << n;
    previous_tunnel_end = end;
    tunnel_starts.push_back(start);
  }

  std::size_t tunnel = 0;
  for (int n = 172; n <= 214; ++n) {
    int position = 0;
    char text[64] = {};
    ASSERT_EQ(std::sscanf(lines[n - 1].c_str(), "cartello_indicatore,  %d,   %63[^\n]", &position, text), 2)
        << "line " << n;
    if (std::string_view(text) == "(CULMINE)") continue;
    ASSERT_LT(tunnel, tunnel_starts.size());
    EXPECT_EQ(position + 50, tunnel_starts[tunnel]) << "line " << n << ": " << text;
    ++tunnel;
  }
  EXPECT_EQ(tunnel, tunnel_starts.size());
}

}  // namespace
}  // namespace scenario
