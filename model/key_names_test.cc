#include "model/key_names.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario {
namespace {

// A record written with blanks or semicolons is given back with commas,
// its key whole even where the key holds a digit; a key field that is no
// record, or a record with nothing after its key, gets no hint.
TEST(KeyNames, SeparatorHintGivesTheRecordWithCommas) {
  const struct {
    definition_file file;
    const char* key_field;
    const char* record;  // empty: no hint
  } cases[] = {
      {definition_file::line, "pendenza 3000 -12", "pendenza, 3000, -12"},
      {definition_file::line, "lunghezza percorso\t12000", "lunghezza percorso, 12000"},
      {definition_file::line, "ripetizione segnali 9 codici 0 0", "ripetizione segnali 9 codici, 0, 0"},
      {definition_file::line, "ripetizione segnali 4 codici", ""},
      {definition_file::line, "curvad5 2950 500", "curvad5, 2950, 500"},
      {definition_file::train, "velocita; 0; 80", "velocita, 0, 80"},
      {definition_file::train, "stazione 0 12 400 0 0 0 1 1 0 4 1 1 1 8 10 0 VALLE ALTA",
       "stazione, 0, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 8, 10, 0, VALLE ALTA"},
      {definition_file::train, "pendenza 3000 -12", ""},  // a key of the other definition
      {definition_file::line, "- altitudine 352 m", ""},
      {definition_file::line, "nota; vedi sotto", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key_field);
    const std::string expected =
        *c.record == '\0' ? "" : std::string("i campi si separano con la virgola: \"") + c.record + "\"";
    EXPECT_EQ(separator_hint(c.file, c.key_field), expected);
  }
}

TEST(KeyNames, MisplacedKeyHintSaysWhereTheKeyBelongs) {
  const struct {
    definition_file file;
    bool general;
    const char* field;
    const char* hint_starts;  // empty: no hint
  } cases[] = {
      {definition_file::train, false, "pendenza", "e' un record della definizione della linea"},
      {definition_file::train, false, "lunghezza percorso", "e' un record della definizione della linea"},
      {definition_file::line, false, "velocita", "e' un record della definizione del treno"},
      {definition_file::line, false, "lunghezza percorso", "e' un record della sezione [generale]"},
      {definition_file::line, true, "pendenza", "e' un record che si legge solo dopo la sezione [generale]"},
      {definition_file::train, false, "segnali", "le sezioni si scrivono tra parentesi quadre: [segnali]"},
      {definition_file::line, false, "  curve ", "le sezioni si scrivono tra parentesi quadre: [curve]"},
      {definition_file::line, false, "segnali", ""},  // a section of the other definition
      {definition_file::train, false, "pendneza", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    const std::string hint = misplaced_key_hint(c.file, c.general, c.field);
    EXPECT_EQ(hint.substr(0, std::string(c.hint_starts).size()), c.hint_starts);
    EXPECT_EQ(hint.empty(), *c.hint_starts == '\0') << hint;
  }
}

}  // namespace
}  // namespace scenario
