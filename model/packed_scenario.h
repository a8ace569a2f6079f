// A scenario carried by the program: appended to a copy of the program
// file after its image, so that one program can hand out an author's
// scenario in place of the built-in one without a compiler.
//
// Layout, every number little-endian:
//   payload  u16 size + bytes of the route name, the same of the train
//            number, u32 count of files, then per file: u8 kind, u16 size
//            + bytes of its name, u32 size + bytes of its content
//   trailer  u64 payload size, u32 CRC-32 of the payload, u32 version (1),
//            8 bytes "SCNPACK\x1a"
// The trailer stands at the very end of the file; what lies between the
// image and the payload would make the file refused.
#ifndef MODEL_PACKED_SCENARIO_H_
#define MODEL_PACKED_SCENARIO_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/identity.h"

namespace scenario {

inline constexpr uint32_t kPackVersion = 1;

// Text every program that reads version 1 holds, so that `scenario pack`
// appends only to such a program. Only the program's run keeps it whole;
// the tool looks for it as two halves joined at run time.
#define SCENARIO_PACK_READER_MARK_HEAD "legge-scenari-allegati:"
#define SCENARIO_PACK_READER_MARK_TAIL "SCNPACK-1"
inline constexpr size_t kPackTrailerSize = 24;
// The last 8 bytes of the trailer, and so of a packed program (or of what
// comes before the signature of a packed program signed afterwards).
inline constexpr std::string_view kPackMark("SCNPACK\x1a", 8);
// The largest program file read: the program, two definitions at their
// limit and the papers, with room to spare.
inline constexpr size_t kLargestProgramFile = size_t{512} << 20;

struct packed_file {
  std::string name;   // a plain file name, no folder
  std::string bytes;
};

struct packed_scenario {
  scenario_identity id;
  std::string line_definition;   // the text of <route>_linea.txt
  std::string train_definition;  // the text of <route>_<train>-.txt
  std::vector<packed_file> papers;  // the driver's papers, written as they are
};

// Why the files `scenario` would have the program write cannot be written
// as one set in its folder, in Italian: a route name or train number no
// file name may hold, a paper not named as the scenario's own papers
// ("<route>_<train>_X.txt"), a name written_names refuses, two names
// Windows takes for one file (the definitions, the three compiled files
// and the papers). Shared by `scenario pack` and the program's reader, so that no
// pack is made that its program would refuse.
std::optional<std::string> packed_names_problem(const packed_scenario& scenario);

// The bytes to append to a program's image: payload and trailer.
std::string encode_packed_scenario(const packed_scenario& scenario);

// What `file` carries after its first `image_size` bytes, up to its end:
// nothing (the file ends there: the built-in scenario), a scenario, or the
// reason the appended bytes are refused, in Italian. A program file as a
// whole, signature included, is read by scenario_in_program_file
// (program_scenario.h).
struct no_packed_scenario {};
struct damaged_pack {
  std::string reason;
};
// A scenario refused for `what` ("incompleto: ..."), in the words the
// program shows: "scenario allegato al programma " and `what`.
damaged_pack damaged_scenario(const std::string& what);
using carried_scenario = std::variant<no_packed_scenario, packed_scenario, damaged_pack>;
carried_scenario read_packed_scenario(std::string_view file, uint64_t image_size);

}  // namespace scenario

#endif  // MODEL_PACKED_SCENARIO_H_
