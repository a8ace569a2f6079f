#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "content/built_in_identity.h"
#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/loader.h"
#include "model/record_fields.h"

namespace scenario {
namespace {

const record_kind& kind(std::string_view key, definition_file file, bool general = false) {
  const auto kinds = kinds_for_key(key, file, general);
  EXPECT_EQ(kinds.size(), 1u) << key;
  return *kinds.at(0);
}

TEST(RecordFields, DecodesValuesAsTheLoadersPlaceThem) {
  struct row {
    const char* key;
    definition_file file;
    bool general;
    record_values values;
    size_t field;
    const char* text;
  } const rows[] = {
      {"segnale", definition_file::train, false, {5950, 1, 3}, 0, "5950 m, km 5,950, cella 120"},
      {"rallentamento", definition_file::train, false, {4850, 30, 900, 0, 0, 0}, 0,
       "4850 m, km 4,850, cella 98; fine nella cella 116; avviso a 3650 m, cella 74"},
      {"rallentamento", definition_file::train, false, {4850, 30, 900}, 1, "30 km/h"},
      {"velocita", definition_file::train, false, {0, 80}, 1, "80 km/h, salvata come 16 (passi di 5 km/h)"},
      {"aderenza", definition_file::train, false, {3550, 85}, 0, "3550 m, km 3,550, vale dalla cella 71"},
      {"pendenza", definition_file::line, false, {14950, -24}, 1, "-24 per mille, in discesa"},
      {"montagna", definition_file::line, false, {600, 850, 11}, 0, "600 m, km 0,600, prima cella 12"},
      {"montagna", definition_file::line, false, {600, 850, 11}, 1, "850 m, km 0,850, ultima cella 16"},
      {"stazione", definition_file::train, false, {7700, 22, 300, 0, 0, 1}, 0,
       "7700 m, km 7,700, cella di fermata 157 (fine del tratto a 7900 m)"},
      {"stazione", definition_file::train, false, {9650, 27, 200}, 0,
       "9650 m, km 9,650, nessuna cella di fermata (tipo da 25 in su)"},
      {"stazione", definition_file::train, false,
       {0, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 6, 48, 0}, 14, "ore 06:48:00"},
      {"orologio", definition_file::train, false, {9, 20, 30}, 0, "ore 09:20:30"},
      {"abbattimento", definition_file::train, false, {1990, 1}, 0, "1990 m, km 1,990, cella 40"},
      {"lunghezza percorso", definition_file::line, true, {40000}, 0, "40000 m, km 40,000, celle da 0 a 940"},
      {"progressiva chilometrica uno", definition_file::line, true, {0, 73350, 1}, 1,
       "km 73,350 (con il segnalino 1: km 73,450)"},
      {"cartello_indicatore", definition_file::line, false, {550}, 0, "550 m, km 0,550, cella 12"},
      {"segnale", definition_file::train, false, {std::nullopt}, 0, ""},
  };
  for (const row& r : rows) {
    EXPECT_EQ(decode_field(kind(r.key, r.file, r.general), r.field, r.values), r.text) << r.key << " " << r.field;
  }
  EXPECT_EQ(kilometre_text(-50), "km -0,050");
  const record_kind& curve = kind("curvaS3", definition_file::line);
  EXPECT_EQ(decode_key(curve, "curvaS3"), "curva a sinistra, raggio 2500 m");
  EXPECT_EQ(decode_key(curve, "curvad6"), "curva a destra, raggio 333 m");
}

TEST(RecordFields, KeysMatchAsTheLoadersTestThem) {
  // Exact case in the general section, ignoring case elsewhere.
  EXPECT_TRUE(kinds_for_key("Progressiva chilometrica Uno", definition_file::line, true).empty());
  EXPECT_EQ(kinds_for_key("LUNGHEZZA PERCORSO", definition_file::line, true).size(), 1u);
  EXPECT_EQ(kinds_for_key("PENDENZA", definition_file::line, false).size(), 1u);
  EXPECT_TRUE(kinds_for_key("pendenza", definition_file::line, true).empty());  // not read in [generale]
  EXPECT_EQ(kinds_for_key("segnale stazione", definition_file::train, false).size(), 2u);
}

// Every record of the built-in definitions is one kind of the table, the
// table gives it as many fields as the record holds, and the headers are
// the table's, in its order.
TEST(RecordFields, DescribeEveryBuiltInRecord) {
  const auto count_fields = [](std::string_view line) {
    size_t commas = 0;
    for (char c : line) commas += c == ',' ? 1 : 0;
    return commas;
  };
  for (const auto& [file, lines] : {std::pair{definition_file::line, line_definition_lines()},
                                    std::pair{definition_file::train, train_definition_lines()}}) {
    bool general = true;
    std::vector<std::string_view> headers;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
      const std::string_view line = lines[i];
      if (line.front() == '[') headers.push_back(line);
      if (line.front() == '[' || line.front() == '-') {
        if (line != "[generale]") general = false;
        continue;
      }
      const std::string_view key = line.substr(0, line.find(','));
      const auto kinds = kinds_for_key(key, file, file == definition_file::line && general);
      ASSERT_EQ(kinds.size(), 1u) << line;
      // Numbers split by blanks alone (the clock) are fields too.
      const size_t fields = key == "orologio" ? 3 : count_fields(line);
      EXPECT_EQ(kinds[0]->fields.size(), fields) << line;
    }
    const auto table = section_headers(file);
    EXPECT_EQ(headers, std::vector<std::string_view>(table.begin(), table.end()));
  }
}


// The table the editor explains records by and the loaders that place them
// agree: every record the loader reports is the one kind the table gives
// its key, with as many numbers as the table has number fields.
TEST(RecordFields, AgreeWithWhatTheLoadersRead) {
  const std::map<record_object, std::string_view> table_key = {
      {record_object::gradient, "pendenza"},        {record_object::curve, "curva"},
      {record_object::tunnel, "montagna"},          {record_object::speed_board, "indicatori_vmax"},
      {record_object::name_board, "cartello_indicatore"}, {record_object::speed, "velocita"},
      {record_object::signal, "segnale"},           {record_object::slowdown, "rallentamento"},
      {record_object::code_point, "abbattimento"},  {record_object::station, "stazione"}};
  const auto joined = [](const auto& lines) {
    std::string text;
    for (std::string_view line : lines) (text += line) += "\r\n";
    return text;
  };
  scenario_model model;
  model.identity = built_in_identity();
  model.line_mode = 1;
  std::vector<loaded_record> records;
  // The built-in train has no code point of its own: one is added.
  std::string train = joined(train_definition_lines());
  train.insert(train.find("[fine]"), "abbattimento,  5000, 3\r\n");
  EXPECT_TRUE(every_load_fault(model, definition_texts{joined(line_definition_lines()), train}, nullptr, &records).empty());
  std::set<record_object> seen;
  for (const loaded_record& r : records) {
    SCOPED_TRACE(r.key + " at line " + std::to_string(r.line));
    seen.insert(r.kind);
    EXPECT_TRUE(r.whole);
    const auto kinds = kinds_for_key(r.key, r.file, false);
    ASSERT_EQ(kinds.size(), 1u);
    EXPECT_EQ(kinds[0]->key, table_key.at(r.kind));
    size_t numbers = 0;
    for (const record_field& f : kinds[0]->fields) numbers += f.unit == field_unit::text ? 0 : 1;
    EXPECT_EQ(r.numbers.size(), numbers);
  }
  EXPECT_EQ(seen.size(), table_key.size());
}

// docs/CAMPI.txt is what the table gives, so the two cannot drift apart; it
// is read in Notepad, so it stays ASCII and narrow. After a change of the
// table: build/debug/bin/scenario help campi > docs/CAMPI.txt
TEST(RecordFields, CommittedReferenceIsTheTables) {
  std::ifstream in(SCENARIO_DOCS_DIR "/CAMPI.txt", std::ios::binary);
  ASSERT_TRUE(in) << SCENARIO_DOCS_DIR "/CAMPI.txt";
  std::ostringstream committed;
  committed << in.rdbuf();
  const std::string reference = field_reference();
  EXPECT_EQ(committed.str(), reference);
  std::istringstream lines(reference);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 78u) << line;
    for (char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << line;
  }
}

}  // namespace
}  // namespace scenario
