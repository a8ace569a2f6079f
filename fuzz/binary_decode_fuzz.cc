// Arbitrary bytes as a compiled file: decoded by the bounded readers of
// model/binary_decode.h, then shown by `scenario dump` as a person, a
// spreadsheet or a program would ask for it. Input layout:
//   byte 0: bits 0-1 the file (0 route cells .dat, 1 item table .sim,
//           2 and 3 route plan _linea.dat); bits 2-3 the form (0 text,
//           1 --json, 2 --csv, 3 text); bits 4-7, when not zero, --every
//           2^(bits-1) metres for the route plan.
//   then the file's bytes.
// What a decoder accepts it gives back whole: encoding the decoded values
// again yields the same bytes. The dump succeeds exactly when the decoder
// does, its JSON parses, and the route plan's points it lists hold the
// decoded values (exactly in CSV, to a thousandth in the text).
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/binary_decode.h"
#include "model/binary_files.h"
#include "model/coding.h"
#include "model/model.h"
#include "tool/commands.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The files dump reads, one folder per fuzzing process.
const std::filesystem::path& work_folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / ("binary_decode_fuzz." + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    std::atexit([] { std::filesystem::remove_all(work_folder()); });
    return p;
  }();
  return folder;
}

// Decodes `bytes` as `kind` (throwing decode_failure when it cannot) and
// checks that it encodes back to the same bytes.
bool decode_valid_and_encode(unsigned kind, std::string_view bytes) {
  scenario::scenario_model model;
  std::string again;
  if (kind == 0) {
    model.route_cells = scenario::decode_route_cells(bytes);
    again = scenario::route_cells_bytes(model);
  } else if (kind == 1) {
    model.item_table = scenario::decode_item_table(bytes);
    again = scenario::item_table_bytes(model);
  } else {
    const scenario::decoded_plan plan = scenario::decode_route_plan(bytes);
    check(plan.x.size() == plan.y.size() && !plan.x.empty());
    for (const auto* run : {&plan.x, &plan.y}) {
      for (const scenario::plan_value& v : *run) {
        scenario::put_u16(&again, static_cast<uint16_t>(v.type));
        if (v.type == scenario::plan_element::integer) scenario::put_i16(&again, static_cast<int16_t>(v.value));
        if (v.type == scenario::plan_element::real) scenario::put_f64(&again, v.value);
      }
    }
  }
  check(again == bytes);
  return true;
}

// Decodes `bytes` as `kind`; true when it is a valid file, which must then
// encode back to the same bytes. A file that is not valid is told by its
// decode_failure, at an offset within the file.
bool decode_and_encode(unsigned kind, std::string_view bytes) {
  try {
    return decode_valid_and_encode(kind, bytes);
  } catch (const scenario::decode_failure& failure) {
    check(failure.offset() <= bytes.size() && *failure.what() != '\0');
    return false;
  }
}

// The points the dump lists for the route plan (a header line, then
// "metre<sep>x<sep>y" every `every` metres from 0) read back as the decoder
// gave them: exactly in CSV, to the nearest thousandth in the text.
void check_plan_points(std::string_view bytes, const std::string& shown, bool csv, int every) {
  const scenario::decoded_plan plan = scenario::decode_route_plan(bytes);
  const std::string sep = csv ? "," : "  ";
  std::istringstream lines(shown);
  std::string line;
  if (csv) {
    check(std::getline(lines, line) && line == "metre,x,y");
  } else {
    while (std::getline(lines, line) && line != "metro  x  y") {
    }
    check(lines.good() || lines.eof());
  }
  size_t m = 0;
  for (; std::getline(lines, line); m += static_cast<size_t>(every)) {
    check(m < plan.x.size());
    const size_t a = line.find(sep), b = line.find(sep, a + sep.size());
    check(a != std::string::npos && b != std::string::npos && line.substr(0, a) == std::to_string(m));
    const std::string cells[2] = {line.substr(a + sep.size(), b - a - sep.size()), line.substr(b + sep.size())};
    const scenario::plan_value values[2] = {plan.x[m], plan.y[m]};
    for (int i = 0; i < 2; ++i) {
      const double v = values[i].value;
      if (values[i].type == scenario::plan_element::empty) {
        check(cells[i] == (csv ? "" : "vuoto"));
      } else if (std::isnan(v)) {
        check(cells[i] == "nan" || cells[i] == "-nan");
      } else {
        char* end = nullptr;
        const double read = std::strtod(cells[i].c_str(), &end);
        check(*end == '\0');
        check(csv || values[i].type == scenario::plan_element::integer
                  ? read == v
                  : read == v || std::fabs(read - v) <= 0.0005 + std::fabs(v) * 1e-12);
      }
    }
  }
  check(m >= plan.x.size() && m < plan.x.size() + static_cast<size_t>(every));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned kind = data[0] & 3u;
  const unsigned form = (data[0] >> 2) & 3u;
  const unsigned every_bits = data[0] >> 4;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool valid = decode_and_encode(kind, bytes);

  static constexpr std::array<const char*, 3> kNames = {"R_1.dat", "R_1.sim", "R_linea.dat"};
  const std::string path = (work_folder() / kNames[kind == 3 ? 2 : kind]).string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out));
  }
  std::vector<std::string> args = {path};
  if (form == 1) args.push_back("--json");
  // The item table has no CSV form: dump refuses the option.
  const bool csv = form == 2 && kind != 1;
  if (csv) args.push_back("--csv");
  int every = 1;
  if (kind >= 2 && every_bits != 0) {
    every = 1 << (every_bits - 1);
    args.insert(args.end(), {"--every", std::to_string(every)});
  }
  std::ostringstream out, err;
  const int status = scenario::tool::run_dump(args, out, err);
  check(status == (valid ? 0 : 2));
  check(valid ? err.str().empty() : out.str().empty() && !err.str().empty());
  if (!valid) return 0;
  if (form == 1) check(nlohmann::json::accept(out.str()));
  if (kind >= 2 && form != 1 && (csv || every_bits != 0)) check_plan_points(bytes, out.str(), csv, every);
  return 0;
}
