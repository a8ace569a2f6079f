// Every fault the loaders, the placement and the post-processing can
// record, provoked through small definition files and `scenario compile`.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "model/test_files.h"
#include "tool/commands.h"

namespace scenario::tool {
namespace {

using scenario::testing::read_file;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

constexpr char kLine[] = "R_linea.txt";
constexpr char kTrain[] = "R_1-.txt";
constexpr int kNone = -1;

// Line 1 "[generale]", line 2 the route length, then the general records;
// "[curve]" follows them and the first record stands on the line after.
std::string line_definition(const std::string& records, const std::string& general = "") {
  return "[generale]\r\nlunghezza percorso, 10000\r\n" + general + "[curve]\r\n" + records + "[fine]\r\n";
}

// Line 1 "[generale]", the first record on line 2.
std::string train_definition(const std::string& records) { return "[generale]\r\n" + records + "[fine]\r\n"; }

std::string signal_at(int position, int s1 = 3, int s2 = 1) {
  return "segnale, " + std::to_string(position) + ", 1, " + std::to_string(s1) + ", " + std::to_string(s2) +
         ", 0, 0, 0, 0, 0, 0, 0\r\n";
}

std::string slowdown_at(int x, int speed, int length, int f_ta = 0) {
  return "rallentamento, " + std::to_string(x) + ", " + std::to_string(speed) + ", " + std::to_string(length) +
         ", 0, " + std::to_string(f_ta) + ", 0\r\n";
}

std::string station_at(const std::string& position, int kind, int length, const std::string& name = "A") {
  return "stazione, " + position + ", " + std::to_string(kind) + ", " + std::to_string(length) +
         ", 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 6, 48, 0, " + name + "\r\n";
}

std::string name_boards(int first, int count) {
  std::string records;
  for (int k = 0; k < count; ++k) records += "cartello_indicatore, " + std::to_string(first + 50 * k) + ", B\r\n";
  return records;
}

// A train of one record that places nothing, for the faults of the line.
const std::string kEmptyTrain = train_definition("sabbia, 300\r\n");

struct fault_case {
  const char* name;
  std::string line;
  std::string train;
  int code;
  const char* file;  // nullptr: the fault names no record
  int line_number;   // 0: the fault names its file alone
  int position;  // kNone: the fault names no position
};

std::vector<fault_case> fault_cases() {
  return {
      {"route length above the limit", "[generale]\r\nlunghezza percorso, 1000001\r\n[fine]\r\n", kEmptyTrain, 1,
       kLine, 2, kNone},
      {"progression not on 50 m", line_definition("", "progressiva chilometrica uno, 25, 73350, 1\r\n"), kEmptyTrain,
       2, kLine, 3, kNone},
      {"repetition start", line_definition("", "ripetizione segnali 4, 25, 0\r\n"), kEmptyTrain, 3, kLine, 3, kNone},
      {"repetition end", line_definition("", "ripetizione segnali 4, 0, 75\r\n"), kEmptyTrain, 4, kLine, 3, kNone},
      {"repetition codes", line_definition("", "ripetizione segnali, 0, 50\r\n"), kEmptyTrain, 5, kLine, 3, kNone},
      {"two name boards in one cell", line_definition(name_boards(550, 1) + "cartello_indicatore, 560, C\r\n"),
       kEmptyTrain, 6, kLine, 5, 560},
      {"code point on a signal", line_definition(""), train_definition(signal_at(1000) + "abbattimento, 1050, 180\r\n"),
       7, kTrain, 3, 1050},
      {"station not on 50 m", line_definition(""), train_definition(station_at("1025", 12, 400)), 8, kTrain, 2, 1025},
      {"station length not on 100 m", line_definition(""), train_definition(station_at("1000", 12, 150)), 9, kTrain,
       2, 1000},
      // Boards from 100 m: one at 50 m would write into cell 1's reserved field.
      {"81 name boards", line_definition(name_boards(100, 81)), kEmptyTrain, 10, kLine, 4 + 80, kNone},
      // Signals in cells 76, 75 and 74 before the warning board in cell 77:
      // the first has neither a free cell nor a code point in front of it.
      {"no code point before a signal", line_definition(""),
       train_definition(signal_at(3750) + signal_at(3700) + signal_at(3650) + slowdown_at(5000, 30, 500)), 11, kTrain,
       2, 3800},
      // Start in cell 21, signals in cells 16, 15 and 14.
      {"no code point before a slowdown", line_definition(""),
       train_definition(signal_at(750) + signal_at(700) + signal_at(650) + slowdown_at(1000, 120, 500)), 12, kTrain, 5,
       1050},
      // Start in cell 21: the code point due in cell 29 finds 28, 29 and 30 taken.
      {"no code point inside a slowdown", line_definition(""),
       train_definition(signal_at(1350) + signal_at(1400) + signal_at(1450) + slowdown_at(1000, 30, 1000)), 13, kTrain,
       5, 1450},
      {"gradient beyond the route", line_definition("pendenza, 17000, 5\r\n"), kEmptyTrain, 15, kLine, 4, 17000},
      {"station beyond the route", line_definition(""), train_definition(station_at("16300", 12, 400)), 15, kTrain, 2,
       16300},
      {"two signals in one cell", line_definition(""), train_definition(signal_at(5950) + signal_at(5960)), 16, kTrain,
       3, 5960},
      {"warning board on a signal", line_definition(""), train_definition(signal_at(3800) + slowdown_at(5000, 30, 500)),
       17, kTrain, 3, 5000},
      {"slowdown start on a signal", line_definition(""), train_definition(signal_at(5000) + slowdown_at(5000, 30, 500)),
       18, kTrain, 3, 5000},
      {"slowdown end on a signal", line_definition(""), train_definition(signal_at(5500) + slowdown_at(5000, 30, 500)),
       19, kTrain, 3, 5000},
      {"approach cell on a signal", line_definition(""),
       train_definition(signal_at(3750) + slowdown_at(5000, 30, 500, 1)), 20, kTrain, 3, 5000},
      {"two speed boards in one cell",
       line_definition("indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\r\nindicatori_vmax, 310, 75, 80, 80, 0, , , , 0\r\n"),
       kEmptyTrain, 21, kLine, 5, 310},
      {"station too close to the one before", line_definition(""),
       train_definition(station_at("0", 12, 400) + station_at("500", 27, 0, "B")), 22, kTrain, 3, 500},
      {"station stop cell before cell 2", line_definition(""), train_definition(station_at("0", 12, 0)), 24, kTrain, 2,
       kNone},
      {"number that is not one", line_definition("pendenza, 1x0, 5\r\n"), kEmptyTrain, 25, kLine, 4, kNone},
      {"no [generale]", "lunghezza percorso, 10000\r\n[fine]\r\n", kEmptyTrain, 102, kLine, 0, kNone},
      {"train definition of no record", line_definition(""), train_definition(""), 25, kTrain, 1, kNone},
      {"curve without a digit", line_definition("curvas, 200, 100\r\n"), kEmptyTrain, 103, kLine, 4, kNone},
      {"curve past the plan", line_definition("curvas5, 16000, 1000\r\n"), kEmptyTrain, 103, kLine, 4, kNone},
      // Refused at the route length, with the longest length accepted.
      {"plan of more than 1000000 points", "[generale]\r\nlunghezza percorso, 993002\r\n[fine]\r\n", kEmptyTrain, 103,
       kLine, 2, kNone},
      // Cell 1 holds the format mark in info1 and the check code in info2.
      {"signal writing info1 of cell 1", line_definition(""), train_definition(signal_at(0, 3, 1)), 1250, kTrain, 2,
       kNone},
      {"signal writing info2 of cell 1", line_definition(""), train_definition(signal_at(0, 0, 1)), 1251, kTrain, 2,
       kNone},
  };
}

struct compile_run {
  int status;
  std::string first_error_line;
};

compile_run compile(const temp_dir& dir) {
  std::ostringstream out, err;
  const int status = run_compile({dir.str(), "--route", "R", "--train", "1"}, out, err);
  const std::string text = err.str();
  return {status, text.substr(0, text.find('\n'))};
}

// The position at the end of a headline, " (5950 m)"; kNone without one.
int named_position(const std::string& headline) {
  const std::regex tail(R"( \((?:[a-z ]+ )?(-?[0-9]+) m\)$)");
  std::smatch m;
  return std::regex_search(headline, m, tail) ? std::stoi(m[1].str()) : kNone;
}

TEST(FaultTable, EachFaultIsReportedWithItsRecordAndLeavesTheDefinitionsAlone) {
  for (const fault_case& c : fault_cases()) {
    SCOPED_TRACE(c.name);
    temp_dir dir;
    write_file(dir.file(kLine), c.line);
    write_file(dir.file(kTrain), c.train);
    const compile_run run = compile(dir);
    EXPECT_EQ(run.status, 1);

    // "<DIR>/<file>:<line>:<column>: errore <n>: ", or the fault alone.
    const std::string fault = "errore " + std::to_string(c.code) + ": ";
    std::string head = fault;
    if (c.file != nullptr) head = dir.file(c.file) + ":" + std::to_string(c.line_number) + ":";
    if (c.file != nullptr && c.line_number == 0) head = dir.file(c.file) + ": " + fault;
    EXPECT_EQ(run.first_error_line.substr(0, head.size()), head) << run.first_error_line;
    const size_t fault_at = run.first_error_line.find(fault);
    EXPECT_TRUE(fault_at == 0 || run.first_error_line.compare(fault_at - 2, 2, ": ") == 0) << run.first_error_line;
    EXPECT_EQ(named_position(run.first_error_line), c.position) << run.first_error_line;

    EXPECT_EQ(read_file(dir.file(kLine)), c.line);
    EXPECT_EQ(read_file(dir.file(kTrain)), c.train);
    // A compile with a fault writes nothing.
    EXPECT_FALSE(dir.has("R_1.sim"));
    EXPECT_FALSE(dir.has("R_1.dat"));
    EXPECT_FALSE(dir.has("R_linea.dat"));
  }
}

// A missing definition is an unreadable file for the tool: it checks that
// both definitions can be read before it compiles.
TEST(FaultTable, MissingLineDefinitionIsAUsageErrorBeforeAnyCompile) {
  temp_dir dir;
  write_file(dir.file(kTrain), kEmptyTrain);
  std::ostringstream out, err;
  EXPECT_EQ(run_compile({dir.str(), "--route", "R", "--train", "1"}, out, err), kExitUsage);
  EXPECT_NE(err.str().find("R_linea.txt non esiste"), std::string::npos) << err.str();
  EXPECT_EQ(read_file(dir.file(kTrain)), kEmptyTrain);

  // With --json the answer is still one JSON object, with the fault the
  // program would record.
  std::ostringstream json_out, json_err;
  EXPECT_EQ(run_compile({dir.str(), "--route", "R", "--train", "1", "--json"}, json_out, json_err), kExitUsage);
  EXPECT_NE(json_out.str().find("\"error_code\":101"), std::string::npos) << json_out.str();
}

}  // namespace
}  // namespace scenario::tool
