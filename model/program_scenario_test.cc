#include "model/program_scenario.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "model/program_image.h"
#include "model/test_programs.h"

namespace scenario {
namespace {

using testing::kTestPeSection;
using testing::poke;
using testing::signed_copy;
using testing::test_elf;
using testing::test_pe;

packed_scenario sample() {
  packed_scenario s;
  s.id = {"Valle", "77"};
  s.line_definition = "[generale]\r\n";
  s.train_definition = "[treno]\r\n";
  s.papers = {{"Valle_77_note.txt", "note\r\n"}};
  return s;
}

const std::string kPack = encode_packed_scenario(sample());
// An odd size: the signer's table after it is aligned by zero bytes.
const std::string kProgram = test_pe(std::string(0x101, 'p'));

std::string reason(const carried_scenario& c) {
  const auto* d = std::get_if<damaged_pack>(&c);
  return d ? d->reason : "";
}

bool carries_sample(const carried_scenario& c) {
  const auto* s = std::get_if<packed_scenario>(&c);
  return s != nullptr && s->id.route_name == "Valle" && s->papers.size() == 1 && s->papers[0].bytes == "note\r\n";
}

// The program signed, packed, then signed again by a signer that leaves
// the first table in place and appends its own (as osslsigncode does when
// the first is not at the end of the file).
std::string signed_packed_signed() {
  const std::string inner = signed_copy(kProgram) + kPack;
  return signed_copy(inner, 0x40);
}

// The orders a program may be signed and packed in: each is read whole.
TEST(ProgramScenario, SignedBeforeOrAfterPackingTheScenarioIsFound) {
  // A program packed by an earlier tool from a signed program: the image
  // without the table, the security directory still pointing into the
  // scenario.
  std::string stale = signed_copy(kProgram).substr(0, kProgram.size()) + kPack;
  ASSERT_LT(read_program_image(stale)->certificates->end(), stale.size());
  struct layout {
    const char* what;
    std::string file;
    bool packed;
  };
  const layout layouts[] = {
      {"program", kProgram, false},
      {"signed program", signed_copy(kProgram), false},
      {"packed program", kProgram + kPack, true},
      {"packed program, signed", signed_copy(kProgram + kPack), true},
      {"signed program, packed after its table", signed_copy(kProgram) + kPack, true},
      {"signed, packed, signed again", signed_packed_signed(), true},
      {"packed with a directory left pointing into the scenario", stale, true},
      {"Linux program", test_elf(40), false},
      {"Linux program, packed", test_elf(40) + kPack, true},
  };
  for (const layout& l : layouts) {
    const carried_scenario c = scenario_in_program_file(l.file);
    if (l.packed) {
      EXPECT_TRUE(carries_sample(c)) << l.what << ": " << reason(c);
    } else {
      EXPECT_TRUE(std::holds_alternative<no_packed_scenario>(c)) << l.what << ": " << reason(c);
    }
  }
}

// Once the file says it carries a scenario (the mark at its end, or before
// the table that ends it), whatever does not fit is refused, never taken
// for the built-in scenario.
TEST(ProgramScenario, AFileThatSaysItCarriesAScenarioAndDoesNotFitIsRefused) {
  const std::string packed = kProgram + kPack;
  std::string unreadable = packed;  // the section's bytes said to lie past the end
  poke<4>(unreadable, kTestPeSection + 20, packed.size());
  std::string covering = packed;  // the section said to reach the end of the file
  poke<4>(covering, kTestPeSection + 16, packed.size() - 0x200);
  std::string into = packed;  // the section said to reach 4 bytes into the scenario
  poke<4>(into, kTestPeSection + 16, 0x101 + 4);
  std::string elf = test_elf(40) + kPack;  // the section header table said to lie past the end
  poke<8>(elf, 0x28, elf.size());
  struct damage {
    const char* what;
    std::string file;
    const char* reason;
  };
  const damage cases[] = {
      {"headers that cannot be read", unreadable, "intestazioni del programma sono alterate"},
      {"Linux headers that cannot be read", elf, "intestazioni del programma sono alterate"},
      {"headers covering the scenario", covering, "coprono lo scenario"},
      {"headers reaching into the scenario", into, "dichiara"},
      {"signed, a byte between scenario and table", signed_copy(packed + "x"), "manca la chiusura"},
      {"signed, then bytes without a mark", signed_copy(kProgram) + "altro", "manca la chiusura"},
      {"bytes between the image and the table", signed_copy(kProgram + "xx"), "manca la chiusura"},
      {"signed, cut inside the scenario", signed_copy(kProgram + kPack.substr(0, kPack.size() - 1)),
       "manca la chiusura"},
      {"bytes between two tables and the scenario", signed_copy(signed_copy(kProgram) + "zz" + kPack, 0x40),
       "dichiara"},
  };
  for (const damage& d : cases) {
    const std::string why = reason(scenario_in_program_file(d.file));
    EXPECT_NE(why.find(d.reason), std::string::npos) << d.what << ": " << why;
  }
}

// pack starts from the image alone: no scenario, no signature, and no
// directory pointing at a table that is no longer there.
TEST(ProgramScenario, TheProgramToPackIsTheImageWithoutScenarioOrSignature) {
  for (const std::string& file : {kProgram, signed_copy(kProgram), kProgram + kPack, signed_copy(kProgram + kPack),
                                  signed_copy(kProgram) + kPack, signed_packed_signed()}) {
    const std::optional<std::string> program = program_to_pack(file);
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(*program, kProgram);
    EXPECT_TRUE(carries_sample(scenario_in_program_file(*program + kPack)));
  }
  EXPECT_EQ(program_to_pack(test_elf(40) + kPack), test_elf(40));
  EXPECT_FALSE(program_to_pack("non un programma").has_value());
}

}  // namespace
}  // namespace scenario
