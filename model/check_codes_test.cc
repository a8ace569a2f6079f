#include "model/check_codes.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct codes {
  int32_t st;
  int16_t og;
};

codes codes_of(const std::string& train, const std::string& route, std::string* work = nullptr) {
  scenario_model m;
  m.item_table[kRepeatItem].text = train;
  m.item_table[kRouteItem].text = route;
  codes c{codice_gara_st(m), codice_gara_og(m)};
  if (work != nullptr) *work = check_code_work_string(m);
  return c;
}

TEST(CheckCodes, WorkedExamples) {
  std::string work;
  codes c = codes_of("4815", "Brenvalo_Morvena", &work);
  EXPECT_EQ(c.og, 2411);
  EXPECT_EQ(c.st, 33192);
  EXPECT_EQ(work.substr(0, 25), "4815brenvalo_morvenaaabbc");
  c = codes_of("", "abc", &work);
  EXPECT_EQ(c.og, 2546);
  EXPECT_EQ(c.st, 33756);
  EXPECT_EQ(work, "abcaabbccddeeffgghhiillmmnnoo");
}

TEST(CheckCodes, CaseIsIgnoredAndOnlyTwentyFiveCharactersCount) {
  const codes lower = codes_of("4815", "Brenvalo_Morvena");
  const codes upper = codes_of("4815", "BRENVALO_MORVENA");
  EXPECT_EQ(lower.og, upper.og);
  EXPECT_EQ(lower.st, upper.st);

  const codes a = codes_of("1234567890", "abcdefghijklmnoXYZ");
  const codes b = codes_of("1234567890", "ABCDEFGHIJKLMNOqrs");  // same first 25 after lower-casing
  EXPECT_EQ(a.og, b.og);
  EXPECT_EQ(a.st, b.st);

  const codes moved1 = codes_of("", "ab");
  const codes moved2 = codes_of("", "ba");
  EXPECT_EQ(moved1.og, moved2.og);
  EXPECT_NE(moved1.st, moved2.st);
}

TEST(CheckCodes, HighestBytesStayInRange) {
  const codes c = codes_of(std::string(25, '\xFF'), "");
  EXPECT_EQ(c.og, 6375);
  EXPECT_EQ(c.st, 82875);
}

}  // namespace
}  // namespace scenario
