#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/compile.h"
#include "model/definition_files.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/tool_testing.h"
#include "tool/map/route_map.h"
#include "tool/map/route_map_views.h"

namespace scenario::tool {
namespace {

using scenario::testing::names_in;
using scenario::testing::read_file;
using scenario::testing::temp_dir;
using testing::run_command;
using testing::tool_run;
using scenario::testing::write_file;

constexpr char kRoute[] = "Brenvalo_Morvena";
constexpr char kTrain[] = "4815";

// --- a small XML checker --------------------------------------------------

bool valid_utf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

// Text or attribute value: no '<', every '&' a known entity.
std::string text_problem(const std::string& t) {
  if (t.find('<') != std::string::npos) return "raw < in \"" + t + "\"";
  for (size_t at = t.find('&'); at != std::string::npos; at = t.find('&', at + 1)) {
    const size_t end = t.find(';', at);
    if (end == std::string::npos) return "unterminated & in \"" + t + "\"";
    const std::string name = t.substr(at + 1, end - at - 1);
    static const std::set<std::string> kNamed = {"amp", "lt", "gt", "quot", "apos"};
    const bool numeric = name.size() > 1 && name[0] == '#' &&
                         name.find_first_not_of("0123456789", 1) == std::string::npos;
    if (kNamed.count(name) == 0 && !numeric) return "unknown entity &" + name + ";";
  }
  for (char c : t) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') return "control character";
  }
  return "";
}

bool is_name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == ':' || c == '.';
}

// "" when `doc` is well-formed: one root, tags matched, attributes quoted
// and unique, specials escaped, valid UTF-8.
std::string xml_problem(const std::string& doc) {
  if (!valid_utf8(doc)) return "not UTF-8";
  size_t i = 0;
  if (doc.compare(0, 5, "<?xml") == 0) {
    i = doc.find("?>");
    if (i == std::string::npos) return "unterminated prolog";
    i += 2;
  }
  std::vector<std::string> open;
  int roots = 0;
  while (i < doc.size()) {
    const size_t lt = doc.find('<', i);
    const std::string text = doc.substr(i, (lt == std::string::npos ? doc.size() : lt) - i);
    if (open.empty() && text.find_first_not_of(" \r\n\t") != std::string::npos) return "text outside the root";
    if (std::string p = text_problem(text); !p.empty()) return p;
    if (lt == std::string::npos) break;
    i = lt + 1;
    if (doc.compare(i, 3, "!--") == 0) {
      const size_t end = doc.find("-->", i);
      if (end == std::string::npos) return "unterminated comment";
      i = end + 3;
      continue;
    }
    const bool closing = i < doc.size() && doc[i] == '/';
    if (closing) ++i;
    const size_t name_start = i;
    while (i < doc.size() && is_name_char(doc[i])) ++i;
    const std::string name = doc.substr(name_start, i - name_start);
    if (name.empty()) return "tag without a name at " + std::to_string(lt);
    if (closing) {
      while (i < doc.size() && std::isspace(static_cast<unsigned char>(doc[i])) != 0) ++i;
      if (i >= doc.size() || doc[i] != '>') return "bad end tag </" + name;
      if (open.empty() || open.back() != name) return "</" + name + "> does not close <" + (open.empty() ? "" : open.back()) + ">";
      open.pop_back();
      ++i;
      continue;
    }
    std::set<std::string> attributes;
    while (true) {
      const size_t before = i;
      while (i < doc.size() && std::isspace(static_cast<unsigned char>(doc[i])) != 0) ++i;
      if (i >= doc.size()) return "unterminated tag <" + name;
      if (doc[i] == '>' || doc.compare(i, 2, "/>") == 0) break;
      if (i == before) return "attributes of <" + name + "> not separated";
      const size_t a = i;
      while (i < doc.size() && is_name_char(doc[i])) ++i;
      const std::string attribute = doc.substr(a, i - a);
      if (attribute.empty() || i + 1 >= doc.size() || doc[i] != '=' || (doc[i + 1] != '"' && doc[i + 1] != '\'')) {
        return "bad attribute in <" + name + ">";
      }
      if (!attributes.insert(attribute).second) return "attribute " + attribute + " twice in <" + name + ">";
      const char quote = doc[i + 1];
      const size_t end = doc.find(quote, i + 2);
      if (end == std::string::npos) return "unterminated attribute value";
      if (std::string p = text_problem(doc.substr(i + 2, end - i - 2)); !p.empty()) return p;
      i = end + 1;
    }
    if (open.empty() && ++roots > 1) return "more than one root element";
    if (doc[i] == '/') {
      i += 2;
    } else {
      open.push_back(name);
      ++i;
    }
  }
  if (!open.empty()) return "<" + open.back() + "> never closed";
  return roots == 1 ? "" : "no root element";
}

TEST(XmlChecker, CatchesWhatItIsFor) {
  EXPECT_EQ(xml_problem("<svg><g a=\"1\" b='x &amp; y'>S.MOMME&apos;</g><r/></svg>"), "");
  for (const char* bad : {"<svg><g></svg>", "<svg>a & b</svg>", "<svg a=\"1\" a=\"2\"/>", "<svg>\x92</svg>",
                          "<svg x=\"a<b\"/>", "<svg/><svg/>", "<svg>&nbsp;</svg>", "<svg><g></g>"}) {
    EXPECT_NE(xml_problem(bad), "") << bad;
  }
}

// --- the built-in scenario ------------------------------------------------

scenario_model built_in_model() {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, kTrain});
  dati_treno(dir.str(), {kRoute, kTrain});
  scenario_model model;
  model.identity = {kRoute, kTrain};
  EXPECT_FALSE(reported_fault(compile_scenario(model, 1, read_definitions(dir.str(), kRoute, kTrain))));
  return model;
}

const scenario_model& built_in() {
  static const scenario_model model = built_in_model();
  return model;
}

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(RouteMapFeatures, BuiltInLineAsPlaced) {
  const map_features f = read_map_features(built_in());
  EXPECT_EQ(f.length, 40000);

  const std::vector<std::string> names = {"BRENVALO TERME", "PONTE DELLA VENTURINA", "MOLINO DEL PALLONE",
                                          "BIAGIONI LAGACCI", "PRACCHIA", "S.MOMME'", "CASTAGNO", "CORBEZZI",
                                          "PITECCIO", "VALDIBRANA", "MORVENA OVEST", "MORVENA"};
  ASSERT_EQ(f.stations.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(f.stations[i].name, names[i]);
  EXPECT_EQ(f.stations[2].position, 7700);
  EXPECT_EQ(f.stations[2].start, 7550);
  EXPECT_EQ(f.stations[2].end, 7900);

  // Every tunnel record, also those that start within 150 m of the one
  // before and so run into it in the cells.
  ASSERT_EQ(f.tunnels.size(), 42u);
  EXPECT_EQ(f.tunnels.front().start, 600);
  EXPECT_EQ(f.tunnels.front().end, 850);
  EXPECT_EQ(f.tunnels.front().value, 1);
  EXPECT_EQ(f.tunnels[3].start, 4650);
  EXPECT_EQ(f.tunnels[3].value, 3);
  EXPECT_EQ(f.tunnels.back().start, 33500);
  EXPECT_EQ(f.tunnels.back().end, 34050);

  ASSERT_EQ(f.signals.size(), 14u);
  EXPECT_EQ(f.signals.front(), 5950);
  EXPECT_EQ(f.signals.back(), 39050);

  ASSERT_EQ(f.slowdowns.size(), 2u);
  EXPECT_EQ(f.slowdowns[0].start, 4850);
  EXPECT_EQ(f.slowdowns[0].end, 5750);
  EXPECT_EQ(f.slowdowns[0].value, 30);
  EXPECT_EQ(f.slowdowns[1].start, 20900);
  EXPECT_EQ(f.slowdowns[1].end, 21200);

  ASSERT_EQ(f.boards.size(), 43u);
  EXPECT_EQ(f.boards.front().position, 550);
  EXPECT_EQ(f.boards.front().text, "(MADONNA)(261 m. )");
  EXPECT_EQ(f.boards[17].text, "(CULMINE)");
}

TEST(RouteMapSvg, BuiltInPictureIsWellFormedAndComplete) {
  const std::string svg = route_map_svg(built_in());
  EXPECT_EQ(xml_problem(svg), "");
  EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  for (const char* name : {"BRENVALO TERME", "PONTE DELLA VENTURINA", "MOLINO DEL PALLONE", "BIAGIONI LAGACCI",
                           "PRACCHIA", "S.MOMME&apos;", "CASTAGNO", "CORBEZZI", "PITECCIO", "VALDIBRANA",
                           "MORVENA OVEST", ">MORVENA<"}) {
    // On the plan and over the profile.
    EXPECT_GE(count(svg, name), 2u) << name;
  }
  EXPECT_EQ(count(svg, "S.MOMME'"), 0u);
  EXPECT_EQ(count(svg, "class=\"tunnel\""), 42u);
  EXPECT_EQ(count(svg, "class=\"profile-tunnel\""), 42u);
  EXPECT_EQ(count(svg, "class=\"signal\""), 14u);
  EXPECT_EQ(count(svg, "class=\"slowdown\""), 2u);
  EXPECT_EQ(count(svg, "class=\"board\""), 43u);
  EXPECT_EQ(count(svg, "class=\"station\""), 12u);
  EXPECT_NE(svg.find(">MADONNA 261 m.<"), std::string::npos);
  EXPECT_NE(svg.find(">30 km/h<"), std::string::npos);
  EXPECT_NE(svg.find("40 km \xC2\xB7 12 stazioni \xC2\xB7 42 gallerie \xC2\xB7 14 segnali \xC2\xB7 2 rallentamenti \xC2\xB7 "
                     "43 cartelli indicatori"),
            std::string::npos);
  EXPECT_NE(svg.find("class=\"north\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"scale-bar\""), std::string::npos);
  EXPECT_NE(svg.find("class=\"legend\""), std::string::npos);
  // The climb to the summit and the descent: +18 per mille first, -27 the steepest.
  EXPECT_NE(svg.find("class=\"gradient\" fill=\"#8c2d04\">+21<"), std::string::npos);
  EXPECT_NE(svg.find(">-27<"), std::string::npos);
  EXPECT_EQ(route_map_svg(built_in()), svg);  // the same picture every time
}

TEST(RouteMapProfile, AltitudeSumsTheGradients) {
  const std::vector<double> altitude = altitude_profile(built_in());
  ASSERT_EQ(altitude.size(), 801u);  // every 50 m of 40 000 m
  EXPECT_DOUBLE_EQ(altitude[0], 0);
  EXPECT_NEAR(altitude[12], 6.3, 1e-9);       // level to 250 m, then 18 per mille to 600 m
  EXPECT_NEAR(altitude[289], 264.55, 1e-9);   // the summit, at 14 450 m
  EXPECT_NEAR(altitude[299], 264.55, 1e-9);   // level to 14 950 m
  EXPECT_NEAR(altitude[800], -288.6, 1e-9);
  EXPECT_EQ(*std::max_element(altitude.begin(), altitude.end()), altitude[289]);

  // The axis spans the range in round steps.
  const std::string svg = route_map_svg(built_in());
  EXPECT_NE(svg.find(">300<"), std::string::npos);
  EXPECT_NE(svg.find(">-300<"), std::string::npos);
  EXPECT_EQ(svg.find(">-400<"), std::string::npos);
}

// --- texts ---------------------------------------------------------------

TEST(RouteMapText, AnsiBecomesEscapedUtf8) {
  struct text_case {
    const char* ansi;
    const char* xml;
  };
  const text_case cases[] = {
      {"S.MOMME'", "S.MOMME&apos;"},
      {"A & B <C> \"D\"", "A &amp; B &lt;C&gt; &quot;D&quot;"},
      {"umidit\xE0", "umidit\xC3\xA0"},
      {"\x80 5", "\xE2\x82\xAC 5"},
      {"a\x01z", "a z"},  // XML cannot carry control characters
  };
  for (const text_case& c : cases) EXPECT_EQ(xml_text(c.ansi), c.xml) << c.ansi;
}

// The scale bar's figures say its length to the metre: a bar of 2,5 km
// has its middle at 1,25 km, not "1,2".
TEST(RouteMapText, KilometreFiguresHaveTheDecimalsTheyNeed) {
  const struct {
    double metres;
    const char* text;
  } rows[] = {{1250, "1,25"}, {2500, "2,5"}, {10000, "10"}, {125, "0,125"}, {500, "0,5"}, {0, "0"}, {999.6, "1"}};
  for (const auto& r : rows) EXPECT_EQ(km_figure(r.metres), r.text) << r.metres;
}

TEST(RouteMapText, WidthGrowsWithTextAndSize) {
  EXPECT_GT(text_width("MORVENA OVEST", 12), text_width("MORVENA", 12));
  EXPECT_GT(text_width("MORVENA", 12), text_width("MORVENA", 9));
  EXPECT_GT(text_width("MORVENA", 12, true), text_width("MORVENA", 12));
  EXPECT_LT(text_width("\xC3\xA0", 10), text_width("aa", 10));  // one character, not two bytes
}

// --- pictures of other definitions ---------------------------------------

TEST(RouteMapSvg, NamesWithXmlSpecialsAndNoPlan) {
  const definition_texts texts{"[generale]\r\nlunghezza percorso, 3000\r\n[x]\r\npendenza, 0, 10\r\n"
                               "cartello_indicatore, 1000, \"(A&B <C>)\"\r\n[fine]\r\n",
                               "[generale]\r\nvelocita, 0, 60\r\n"
                               "stazione, 0, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 1, 9,0,0, ALFA & \"BETA\"\r\n[fine]\r\n"};
  for (int32_t mode : {1, 0}) {
    scenario_model model;
    model.identity = {"R", "1"};
    ASSERT_FALSE(reported_fault(compile_scenario(model, mode, texts)));
    // The identity names the files too, so odd names are given after loading.
    model.identity = {"R<&>", "1'"};
    const std::string svg = route_map_svg(model);
    EXPECT_EQ(xml_problem(svg), "") << "line mode " << mode;
    EXPECT_NE(svg.find("ALFA &amp; &quot;BETA&quot;"), std::string::npos);
    EXPECT_EQ(svg.find("A&amp;B &lt;C&gt;") != std::string::npos, mode == 1);  // boards stand on the plan
    EXPECT_NE(svg.find("R&lt;&amp;&gt; \xE2\x80\x94 treno 1&apos;"), std::string::npos);
    EXPECT_EQ(svg.find("tracciato non disponibile") != std::string::npos, mode == 0);
    EXPECT_NE(svg.find("3 km \xC2\xB7 1 stazione \xC2\xB7 0 gallerie"), std::string::npos);
  }
}

// --- the command ---------------------------------------------------------

tool_run map(const std::vector<std::string>& args) { return run_command(run_map, args); }

TEST(ToolMap, WritesThePictureAndNothingElse) {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, kTrain});
  dati_treno(dir.str(), {kRoute, kTrain});
  const std::string line = read_file(dir.file("Brenvalo_Morvena_linea.txt"));
  const std::string train = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));

  const tool_run run = map({dir.str(), "--route", kRoute, "--train", kTrain, "-o", dir.file("linea.svg")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(names_in(dir), (std::set<std::string>{"Brenvalo_Morvena_linea.txt", "Brenvalo_Morvena_4815-.txt", "linea.svg"}));
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.txt")), line);
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_4815-.txt")), train);
  EXPECT_EQ(read_file(dir.file("linea.svg")), route_map_svg(built_in()));
}

// The track of an import's report is drawn under the plan and named in
// the legend; a report without a track or a broken one draws nothing more,
// and a broken one is told.
TEST(ToolMap, ImportedTrackIsDrawnUnderThePlan) {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, kTrain});
  dati_treno(dir.str(), {kRoute, kTrain});
  const std::vector<std::string> args = {dir.str(), "--route", kRoute, "--train", kTrain, "-o", "-"};
  const std::string plain = map(args).out;
  struct report_case {
    const char* json;
    bool drawn;
    bool told;  // a warning on standard error
  };
  for (const report_case& c : {report_case{R"({"track_in_plan": [[0, 0], [3.5, 400], [40, 900]]})", true, false},
                               report_case{R"({"track_in_plan": [[0, 0], [1]]})", false, true},
                               report_case{R"({"stations": []})", false, false},
                               report_case{"{ non json", false, true}}) {
    write_file(dir.file("Brenvalo_Morvena_import.json"), c.json);
    const tool_run run = map(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("class=\"imported-track\"") != std::string::npos, c.drawn) << c.json;
    EXPECT_EQ(run.out.find("scenario import ha tratto") != std::string::npos, c.drawn) << c.json;
    EXPECT_EQ(run.err.find("avviso: ") != std::string::npos, c.told) << c.json << run.err;
    if (!c.drawn) {
      EXPECT_EQ(run.out, plain) << c.json;
    }
  }
}

TEST(ToolMap, UsageFaultsAndUnwritablePicture) {
  temp_dir dir;
  dati_linea(dir.str(), {kRoute, kTrain});
  dati_treno(dir.str(), {kRoute, kTrain});
  write_file(dir.file("appunti.txt"), "da non perdere");
  const std::string out = dir.file("m.svg");
  struct usage_case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const usage_case cases[] = {
      {{dir.str(), "--route", kRoute, "--train", kTrain}, 2, "manca -o FILE.svg"},
      {{dir.str(), "--route", kRoute, "--train", kTrain, "-o"}, 2, "all'opzione -o manca il valore"},
      {{dir.str(), "--route", kRoute, "-o", out}, 2, "servono DIR, --route NOME e --train NUMERO"},
      {{dir.str(), "--route", kRoute, "--train", "9", "-o", out}, 2, "Brenvalo_Morvena_9-.txt non esiste"},
      {{dir.str(), "--route", kRoute, "--train", kTrain, "-o", dir.file("no/such/dir/m.svg")}, 2,
       "impossibile creare"},
      // Never over one of the scenario's own files, nor over a file that is
      // not a drawing.
      {{dir.str(), "--route", kRoute, "--train", kTrain, "-o", dir.file("Brenvalo_Morvena_linea.txt")}, 2,
       "e' un file dello scenario (Brenvalo_Morvena_linea.txt)"},
      {{dir.str(), "--route", kRoute, "--train", kTrain, "-o", dir.str() + "/./Brenvalo_Morvena_4815.dat"}, 2,
       "e' un file dello scenario (Brenvalo_Morvena_4815.dat)"},
      {{dir.str(), "--route", kRoute, "--train", kTrain, "-o", dir.file("appunti.txt")}, 2,
       "non e' un disegno SVG"},
  };
  for (const usage_case& c : cases) {
    const tool_run run = map(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(dir.has("m.svg")) << c.message;
  }
  EXPECT_EQ(read_file(dir.file("appunti.txt")), "da non perdere");
  EXPECT_EQ(read_file(dir.file("Brenvalo_Morvena_linea.txt")).substr(0, 10), "[generale]");

  // "-o -": the drawing on standard output, and nothing written.
  const tool_run piped = map({dir.str(), "--route", kRoute, "--train", kTrain, "-o", "-"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, route_map_svg(built_in()));
  EXPECT_EQ(names_in(dir).size(), 3u);

  // A fault: reported as compile does, and no picture of half a line.
  std::string train = read_file(dir.file("Brenvalo_Morvena_4815-.txt"));
  train.insert(train.find("segnale,    5950,"), "segnale,    5960,   1, 3, 1,  0, 0,    0,  0,0,0, 0\r\n");
  write_file(dir.file("Brenvalo_Morvena_4815-.txt"), train);
  const tool_run run = map({dir.str(), "--route", kRoute, "--train", kTrain, "-o", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, dir.file("Brenvalo_Morvena_4815-.txt") +
                         ":51:13: errore 16: segnale su una cella gia' occupata (con il record di riga 50 di " +
                         dir.file("Brenvalo_Morvena_4815-.txt") + ") (5950 m)\n"
                         "segnale,    5950,   1, 3, 1,  0, 0,    0,  0,0,0, 0\n"
                         "            ^\n"
                         "scenario map: nessun disegno scritto\n");
  EXPECT_FALSE(dir.has("m.svg"));
}

}  // namespace
}  // namespace scenario::tool
