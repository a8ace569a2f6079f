#include "model/record_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/loader.h"

namespace scenario {
namespace {

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) text += std::string(l) + "\r\n";
  return text;
}

// A field as "line:column-column text", end column past its last byte.
std::string place(const scanned_field& f) {
  return std::to_string(f.begin.line) + ":" + std::to_string(f.begin.column) + "-" +
         (f.end.line != f.begin.line ? std::to_string(f.end.line) + ":" : "") + std::to_string(f.end.column) + " " +
         f.text;
}

const char* role_name(key_role r) {
  switch (r) {
    case key_role::ignored: return "ignored";
    case key_role::comment: return "comment";
    case key_role::header: return "header";
    case key_role::record: return "record";
    default: return "unknown";
  }
}

// Each key field as "role place [section]" and its record's fields.
std::vector<std::string> listing(std::string_view text, definition_file file) {
  std::vector<std::string> out;
  for (const scanned_key& k : scan_records(text, file)) {
    std::string row = std::string(role_name(k.role)) + " " + place(k.key) + " " + k.section + (k.general ? " g" : "");
    for (const scanned_field& f : k.fields) row += " | " + place(f);
    out.push_back(row);
  }
  return out;
}

// The loaders take a key field with "-" anywhere for a comment; a quoted
// text keeps its commas; a record short of fields reads on into the next
// line unless that line holds a record, or a field there would be refused.
TEST(RecordScan, ReadsKeysAndFieldsAsTheTrainLoaderDoes) {
  const std::string text =
      "- prima\r\nstazione, 1\r\n[Generale]\r\n"
      "velocita - vecchia, 0, 80\r\n"
      "x-y, 1\r\n"
      "segnale,\t5950, 1,2,3,4, 5 6\r\n   7,8 9,10\r\n"
      "abbattimento, 100\r\n200\r\n"
      "velocita, 0\r\nvelocita, 100, 80\r\n"
      "rallentamento, 4850\r\n60, 300\r\nsabbia, 300\r\n"
      "aderenza, 8O, x, 7\r\n5\r\n"
      "[stazioni] - le stazioni\r\n"
      "[vel_limite]\r\n"
      "stazione, 0,12,400,0,0,0,1,1,0,4,1,1,1,6,48,0, \"BRENVALO, TERME\" , 3\r\n"
      "stazione, 0,12,400,0,0,0,1,1,0,4,1,1,1,6,48,0\r\nvelocita, 0\r\n"
      "orologio, 9";
  const std::vector<std::string> want = {
      "ignored 1:1-8 - prima ",
      "ignored 2:1-9 stazione ",
      "ignored 2:11-12 1 ",
      "header 3:1-11 [Generale] [generale]",
      "comment 4:1-19 velocita - vecchia [generale]",
      "unknown 4:21-22 0 [generale]",
      "unknown 4:24-26 80 [generale]",
      "comment 5:1-4 x-y [generale]",
      "unknown 5:6-7 1 [generale]",
      "record 6:1-8 segnale [generale] | 6:10-14 5950 | 6:16-17 1 | 6:18-19 2 | 6:20-21 3 | 6:22-23 4 | 6:25-26 5 | "
      "6:27-28 6 | 7:4-5 7 | 7:6-7 8 | 7:8-9 9 | 7:10-12 10",
      "record 8:1-13 abbattimento [generale] | 8:15-18 100 | 9:1-4 200",
      "record 10:1-9 velocita [generale] | 10:11-12 0",
      "record 11:1-9 velocita [generale] | 11:11-14 100 | 11:16-18 80",
      "record 12:1-14 rallentamento [generale] | 12:16-20 4850",
      "unknown 13:1-3 60 [generale]",
      "unknown 13:5-8 300 [generale]",
      "record 14:1-7 sabbia [generale] | 14:9-12 300",
      "record 15:1-9 aderenza [generale] | 15:11-13 8O | 15:15-16 x",
      "unknown 16:1-2 5 [generale]",
      "comment 17:1-25 [stazioni] - le stazioni [generale]",
      "header 18:1-13 [vel_limite] [vel_limite]",
      "record 19:1-9 stazione [vel_limite] | 19:11-12 0 | 19:13-15 12 | 19:16-19 400 | 19:20-21 0 | 19:22-23 0 | "
      "19:24-25 0 | 19:26-27 1 | 19:28-29 1 | 19:30-31 0 | 19:32-33 4 | 19:34-35 1 | 19:36-37 1 | 19:38-39 1 | "
      "19:40-41 6 | 19:42-44 48 | 19:45-46 0 | 19:48-65 BRENVALO, TERME",
      "unknown 19:68-69 3 [vel_limite]",
      "record 20:1-9 stazione [vel_limite] | 20:11-12 0 | 20:13-15 12 | 20:16-19 400 | 20:20-21 0 | 20:22-23 0 | "
      "20:24-25 0 | 20:26-27 1 | 20:28-29 1 | 20:30-31 0 | 20:32-33 4 | 20:34-35 1 | 20:36-37 1 | 20:38-39 1 | "
      "20:40-41 6 | 20:42-44 48 | 20:45-46 0",
      "record 21:1-9 velocita [vel_limite] | 21:11-12 0",
      "record 22:1-9 orologio [vel_limite] | 22:11-12 9",
  };
  EXPECT_EQ(listing(text, definition_file::train), want);
}

// The line definition: before "[generale]" nothing is read; in its general
// section up to 10 comments in a row are passed over and only its keys
// count; the first header closes it. A quoted text may hold line ends.
TEST(RecordScan, ReadsTheLineDefinitionsGeneralSectionApart) {
  const std::string text =
      "pendenza, 100, 5\n[generale]\n- a, - b, - c, lunghezza percorso, 40000\npendenza, 100, 5\n"
      "[curve] - curve\n[curve]\n- a, - b, - c, pendenza, 1, 2\ncartello_indicatore, 550, \"A\nB\"\n"
      "cartello_indicatore, 600,\n\"aperto\nlunghezza percorso, 5";
  const std::vector<std::string> want = {
      "ignored 1:1-9 pendenza  g",
      "ignored 1:11-14 100  g",
      "ignored 1:16-17 5  g",
      "header 2:1-11 [generale] [generale] g",
      "comment 3:1-4 - a [generale] g",
      "comment 3:6-9 - b [generale] g",
      "comment 3:11-14 - c [generale] g",
      "record 3:16-34 lunghezza percorso [generale] g | 3:36-41 40000",
      "unknown 4:1-9 pendenza [generale] g",
      "unknown 4:11-14 100 [generale] g",
      "unknown 4:16-17 5 [generale] g",
      "comment 5:1-16 [curve] - curve [generale] g",
      "header 6:1-8 [curve] [curve]",
      "comment 7:1-4 - a [curve]",
      "comment 7:6-9 - b [curve]",
      "unknown 7:11-14 - c [curve]",
      "record 7:16-24 pendenza [curve] | 7:26-27 1 | 7:29-30 2",
      "record 8:1-20 cartello_indicatore [curve] | 8:22-25 550 | 8:27-9:3 A\nB",
      "record 10:1-20 cartello_indicatore [curve] | 10:22-25 600",
      "unknown 11:1-8 aperto [curve]",
      "unknown 12:1-19 lunghezza percorso [curve]",
      "unknown 12:21-22 5 [curve]",
  };
  EXPECT_EQ(listing(text, definition_file::line), want);
  // Text being written: nothing to read, or no "[generale]" yet.
  EXPECT_TRUE(scan_records("", definition_file::line).empty());
  EXPECT_EQ(listing("staz", definition_file::train), std::vector<std::string>{"ignored 1:1-5 staz "});
  // A quoted text without its closing quote runs to its line end, and the
  // record ends there.
  EXPECT_EQ(listing("[generale]\r\n[curve]\r\ncartello_indicatore, 5, \"aperto, 6\r\npendenza, 1, 2",
                    definition_file::line),
            (std::vector<std::string>{"header 1:1-11 [generale] [generale] g", "header 2:1-8 [curve] [curve]",
                                      "record 3:1-20 cartello_indicatore [curve] | 3:22-23 5 | 3:25-35 aperto, 6",
                                      "record 4:1-9 pendenza [curve] | 4:11-12 1 | 4:14-15 2"}));
}

// Every record the loaders place, reading on past faults as a check does,
// the scan reads at the same line, with the same key and numbers.
TEST(RecordScan, AgreesWithTheLoadersOnEveryRecordTheyPlace) {
  definition_texts texts{joined(line_definition_lines()), joined(train_definition_lines())};
  // Mistakes among the records: short ones, a comment, a bad number.
  texts.train->insert(texts.train->find("[fine]"),
                      "segnale - vecchio, 7000, 1\r\nrallentamento, 20900, 30,\r\n500, 0, 0, 0\r\nsegnale, 7O\r\n");
  scenario_model model;
  model.line_mode = 1;
  std::vector<loaded_record> records;
  every_load_fault(model, texts, nullptr, &records);
  ASSERT_GT(records.size(), 100u);
  std::vector<scanned_key> line = scan_records(*texts.line, definition_file::line);
  std::vector<scanned_key> train = scan_records(*texts.train, definition_file::train);
  for (const loaded_record& r : records) {
    SCOPED_TRACE(r.key + " at line " + std::to_string(r.line));
    const std::vector<scanned_key>& keys = r.file == definition_file::line ? line : train;
    const auto found = std::find_if(keys.begin(), keys.end(), [&](const scanned_key& k) {
      return k.key.begin.line == r.line && k.role == key_role::record;
    });
    ASSERT_NE(found, keys.end());
    EXPECT_EQ(found->key.text, r.key);
    if (!r.whole) continue;
    std::vector<int64_t> numbers;
    for (size_t i = 0; i < found->fields.size() && numbers.size() < r.numbers.size(); ++i) {
      const std::string& t = found->fields[i].text;
      if (found->fields[i].type == field_type::number) numbers.push_back(t.empty() ? 0 : std::stoll(t));
    }
    EXPECT_EQ(numbers, r.numbers);
  }
}

}  // namespace
}  // namespace scenario
