#include "model/field_reader.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

#include "model/load_failure.h"

namespace scenario {
namespace {

// One read: 't' text, 'l' 32-bit, 'i' 16-bit, 'b' 8-bit.
struct read_step {
  char as;
  std::variant<std::string, int64_t> want;
};

struct reader_case {
  const char* name;
  std::string input;
  std::vector<read_step> reads;
  bool ended_after;
};

std::variant<std::string, int64_t> read_one(field_reader& r, char as) {
  switch (as) {
    case 't': return r.read_text();
    case 'l': return int64_t{r.read_long()};
    case 'i': return int64_t{r.read_integer()};
    default: return int64_t{r.read_byte()};
  }
}

TEST(FieldReader, ReadsFieldsAsSequentialTextInput) {
  using S = std::string;
  const reader_case cases[] = {
      {"clock line with runs of blanks", "orologio,    9               20            30 \r\n",
       {{'t', S("orologio")}, {'i', 9}, {'i', 20}, {'i', 30}}, true},
      {"empty fields between commas read 0", "indicatori_vmax,  300,  75,  ,  ,  0\r\n",
       {{'t', S("indicatori_vmax")}, {'l', 300}, {'l', 75}, {'l', 0}, {'l', 0}, {'l', 0}}, true},
      {"blank before comma after number", "ripetizione segnali 4 codici,    0    ,0\r\n[curve]\r\n",
       {{'t', S("ripetizione segnali 4 codici")}, {'l', 0}, {'l', 0}, {'t', S("[curve]")}}, true},
      {"quoted text keeps commas", "cartello, 550, \"(A, B)\"\r\nx\r\n",
       {{'t', S("cartello")}, {'l', 550}, {'t', S("(A, B)")}, {'t', S("x")}}, true},
      {"text runs to the line end", "stazione, 0, BRENVALO TERME\r\n[fine]\r\n",
       {{'t', S("stazione")}, {'l', 0}, {'t', S("BRENVALO TERME")}}, false},
      {"a line end only ends a field", "pendenza,\r\n  250,\r\n18\r\n",
       {{'t', S("pendenza")}, {'l', 250}, {'l', 18}}, true},
      {"negative numbers", "pendenza,  14950,  -24 \r\n", {{'t', S("pendenza")}, {'l', 14950}, {'l', -24}}, true},
      {"LF alone and tabs", "sabbia,\t300\nvetture,3", {{'t', S("sabbia")}, {'i', 300}, {'t', S("vetture")}, {'l', 3}},
       true},
      {"trailing blanks of a text are dropped", "- commento   \r\n", {{'t', S("- commento")}}, true},
      {"widths at their limits", "2147483647 -2147483648 32767 -32768 255 0",
       {{'l', 2147483647}, {'l', -2147483648LL}, {'i', 32767}, {'i', -32768}, {'b', 255}, {'b', 0}}, true},
      {"trailing blank lines do not count as fields", "[fine]\r\n\r\n  \r\n", {{'t', S("[fine]")}}, true},
      {"a text at the longest a 16-bit length holds", S(65535, 'x') + ",1",
       {{'t', S(65535, 'x')}, {'l', 1}}, true},
  };
  for (const reader_case& c : cases) {
    SCOPED_TRACE(c.name);
    field_reader r(c.input);
    for (const read_step& step : c.reads) {
      ASSERT_FALSE(r.ended());
      EXPECT_EQ(read_one(r, step.as), step.want);
    }
    EXPECT_EQ(r.ended(), c.ended_after);
  }
}

TEST(FieldReader, RefusesWhatIsNotItsField) {
  const struct {
    std::string input;
    char as;
    const char* message_part;
  } cases[] = {
      {"", 't', "oltre la fine"},
      {"  \r\n", 'l', "oltre la fine"},
      {"2147483648", 'l', "32 bit"},
      {"32768", 'i', "16 bit"},
      {"256", 'b', "0 a 255"},
      {"-1", 'b', "0 a 255"},
      {"12a", 'l', "non e' un numero intero"},
      {"1.5", 'l', "i decimali non sono ammessi"},
      {"99999999999.5", 'l', "i decimali non sono ammessi"},
      {"+5", 'l', "il segno + non si scrive (5)"},
      {"-+5", 'l', "non e' un numero intero"},
      {"-2147483649", 'l', "32 bit"},
      {"-", 'l', "non e' un numero intero"},
      {"99999999999999999999999", 'l', "32 bit"},
      {"\"senza chiusura", 't', "virgolette"},
      {std::string(65536, 'x'), 't', "65535"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 40));
    field_reader r(c.input);
    try {
      read_one(r, c.as);
      ADD_FAILURE() << "no failure";
    } catch (const load_failure& f) {
      EXPECT_NE(std::string(f.what()).find(c.message_part), std::string::npos) << f.what();
    }
  }
}

TEST(FieldReader, KnowsWhereEachFieldBegins) {
  field_reader r("[generale]\r\nsegnale,    5950,   1\r\n");
  r.read_text();
  r.read_text();
  EXPECT_EQ(r.last_site().line, 2);
  EXPECT_EQ(r.last_site().column, 1);
  EXPECT_TRUE(r.last_ended_by_comma());
  r.read_long();
  EXPECT_EQ(r.last_site().line, 2);
  EXPECT_EQ(r.last_site().column, 13);
  EXPECT_EQ(r.line_text(2), "segnale,    5950,   1");
  // Sites are found in any order, across every kind of line end.
  field_reader mixed("a\rb\nc\r\n\r\n  d\n" + std::string(40, '\n') + "e");
  const size_t e = 53, d = 11;
  EXPECT_EQ(mixed.site_at(e).line, 46);
  EXPECT_EQ(mixed.site_at(d).line, 5);
  EXPECT_EQ(mixed.site_at(d).column, 3);
  EXPECT_EQ(mixed.site_at(2).line, 2);
  EXPECT_EQ(mixed.site_at(0).line, 1);
  EXPECT_EQ(mixed.site_at(e).column, 1);
  try {
    field_reader bad("a,\r\n  x1\r\n");
    bad.read_text();
    bad.read_long();
    FAIL();
  } catch (const load_failure& f) {
    EXPECT_EQ(f.line(), 2);
    EXPECT_EQ(f.column(), 3);
  }
}

// Passing over fields moves on as reading them does, with the same
// extents, and takes what a read refuses without throwing.
TEST(FieldReader, PassesOverFieldsWhereAReadWouldFail) {
  field_reader r("segnale, 12a  7, \"A, B\" ,\r\n\"aperto\r\n9");
  const auto pass = [&](field_type type) {
    const auto e = r.pass_field(type);
    return e ? std::to_string(e->begin) + "-" + std::to_string(e->end) + " " + std::string(e->value) +
                   (e->sound ? "" : " !")
             : std::string("end");
  };
  EXPECT_EQ(pass(field_type::text), "0-7 segnale");
  EXPECT_EQ(pass(field_type::number), "9-12 12a !");
  EXPECT_EQ(pass(field_type::number), "14-15 7");
  EXPECT_EQ(pass(field_type::text), "17-23 A, B");
  EXPECT_EQ(r.last_site().column, 18);
  EXPECT_EQ(pass(field_type::text), "27-34 aperto !");  // runs to its line end
  EXPECT_EQ(pass(field_type::number), "36-37 9");
  EXPECT_EQ(pass(field_type::number), "end");
  EXPECT_EQ(text_lines("a\r\nb\nc\rd\n"), (std::vector<std::string_view>{"a", "b", "c", "d", ""}));
}

}  // namespace
}  // namespace scenario
