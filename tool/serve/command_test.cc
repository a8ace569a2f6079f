// The live view without a browser: the records and their lines, the
// objects and diagnostics the page receives, the states through a fault
// and its fix, and what the server answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/train_definition.h"
#include "model/compile.h"
#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/serve/http.h"
#include "tool/map/features.h"
#include "tool/serve/objects.h"
#include "tool/serve/state.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

std::string joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    if (l == "riferimento fine del file") break;
    text += std::string(l) + "\r\n";
  }
  return text;
}

definition_texts built_in() {
  return {joined(line_definition_lines()), joined(train_definition_lines())};
}

// A short line and train with one object of every kind; the comments
// show the line numbers the page must name.
constexpr char kLine[] =
    "[generale]\r\n"                                        // 1
    "lunghezza percorso,    5000\r\n"                       // 2
    "[curve]\r\n"                                           // 3
    "- una curva a destra\r\n"                              // 4
    "curvad4,    500,    800\r\n"                           // 5
    "[pendenze]\r\n"                                        // 6
    "pendenza,    0,    12\r\n"                             // 7
    "pendenza,    2000,    -5\r\n"                          // 8
    "[montagne]\r\n"                                        // 9
    "montagna,    1200,    1650,    11\r\n"                 // 10
    "[cartelli]\r\n"                                        // 11
    "cartello_indicatore,    900,    (ROCCA)(450 m.)\r\n"   // 12
    "[indicazioni]\r\n"                                     // 13
    "indicatori_vmax,  300,  75,  80,  80,  0,  ,  ,  ,  0\r\n"  // 14
    "[fine]\r\n";                                           // 15
constexpr char kTrain[] =
    "[generale]\r\n"                                                                              // 1
    "numero vetture,    2\r\n"                                                                    // 2
    "velocita,    0,    70\r\n"                                                                   // 3
    "[stazioni]\r\n"                                                                              // 4
    "stazione,    0,    12,    400,    0, 0, 0, 1, 1, 0, 4, 1, 1, 1,    7, 30, 0,    VALLE ALTA\r\n"  // 5
    "stazione,    4000,    4,    300,    0, 0, 0, 1, 1, 0, 2, 1, 1, 0,    7, 36, 0,    MONTE\r\n"    // 6
    "[rallentamenti]\r\n"                                                                         // 7
    "rallentamento,    2500,    120,    400,    0,    1,    0\r\n"                                 // 8
    "[segnali]\r\n"                                                                               // 9
    "segnale,    2950,   1, 3, 1,  0, 0,    0,  0,0,0, 0\r\n"                                     // 10
    "[codici]\r\n"                                                                                // 11
    "abbattimento,    3500,    180\r\n"                                                           // 12
    "[fine]\r\n";                                                                                 // 13

const definition_set kSet{"valle", "Valle_Alta", "101"};

scenario_model compiled(const definition_texts& texts) {
  scenario_model model = model_for(kSet);
  EXPECT_FALSE(reported_fault(compile_scenario(model, 1, texts)));
  return model;
}

// The records the loader read, as the live view takes them.
std::vector<loaded_record> records_of(const definition_texts& texts) {
  return check_definitions(texts, scenario_identity{kSet.route, kSet.train}).records;
}

TEST(ServeRecords, EveryPlacedObjectOfTheBuiltInLineHasItsRecordOnItsLine) {
  const definition_texts texts = built_in();
  const auto records = records_of(texts);
  const map_features f = read_map_features(compiled(texts));
  std::map<record_object, size_t> count;
  for (const loaded_record& r : records) {
    ++count[r.kind];
    EXPECT_TRUE(r.whole);
    const auto lines = r.file == definition_file::line ? line_definition_lines() : train_definition_lines();
    ASSERT_GE(r.line, 1);
    // The key stands at the start of the line the record names.
    EXPECT_EQ(lines[static_cast<size_t>(r.line - 1)].substr(0, r.key.size()), r.key) << r.line;
  }
  EXPECT_EQ(count[record_object::curve], 82u);
  EXPECT_EQ(count[record_object::gradient], 31u);
  EXPECT_EQ(count[record_object::tunnel], f.tunnels.size());
  EXPECT_EQ(count[record_object::station], f.stations.size());
  EXPECT_EQ(count[record_object::signal], f.signals.size());
  EXPECT_EQ(count[record_object::slowdown], f.slowdowns.size());
  EXPECT_EQ(count[record_object::name_board], f.boards.size());
}

TEST(ServeRecords, ARecordThatCannotBeReadIsCutShortAndTheNextKeepsItsLine) {
  definition_texts texts{kLine, kTrain};
  // Line 10 gets a field that is no number; comments before a key are
  // skipped as the loader skips them.
  std::string train = kTrain;
  train.replace(train.find("segnale,    2950,   1"), 20, "segnale,    29x0,   1");
  train.replace(train.find("[codici]"), 8, "- codici\r\n- ancora");
  texts.train = train;
  std::vector<std::tuple<record_object, int32_t, bool>> got;
  for (const loaded_record& r : records_of(texts)) got.emplace_back(r.kind, r.line, r.whole);
  const std::vector<std::tuple<record_object, int32_t, bool>> want = {
      {record_object::curve, 5, true},      {record_object::gradient, 7, true},    {record_object::gradient, 8, true},
      {record_object::tunnel, 10, true},    {record_object::name_board, 12, true}, {record_object::speed_board, 14, true},
      {record_object::speed, 3, true},      {record_object::station, 5, true},     {record_object::station, 6, true},
      {record_object::slowdown, 8, true},   {record_object::signal, 10, false},    {record_object::code_point, 13, true}};
  EXPECT_EQ(got, want);
}

// The object of each kind, by its kind name.
std::map<std::string, json> objects_by_kind() {
  const definition_texts texts{kLine, kTrain};
  std::map<std::string, json> by_kind;
  for (const json& o : line_objects(records_of(texts), compiled(texts))) by_kind.emplace(o.at("tipo"), o);
  return by_kind;
}

std::string field(const json& o, const std::string& name) {
  for (const json& f : o.at("campi")) {
    if (f.at(0) == name) return f.at(1);
  }
  return "<" + name + " missing>";
}

TEST(ServeObjects, EachKindSaysWhereItStandsWhatItHoldsAndWhichLineItComesFrom) {
  const auto o = objects_by_kind();
  ASSERT_EQ(o.size(), 10u);
  struct expected {
    const char* kind;
    const char* name;
    int from, to;
    const char* cell;
    const char* source;
  };
  const expected table[] = {
      {"curva", "Curva a destra", 500, 1300, "10-26", "Valle_Alta_linea.txt:5"},
      {"pendenza", "Cambio di pendenza", 0, 0, "dalla 0", "Valle_Alta_linea.txt:7"},
      {"galleria", "Galleria", 1200, 1650, "24-32", "Valle_Alta_linea.txt:10"},
      {"cartello", "Cartello indicatore", 900, 900, "19", "Valle_Alta_linea.txt:12"},
      {"indicatori", "Cartelli di velocita' massima", 300, 300, "7", "Valle_Alta_linea.txt:14"},
      {"stazione", "Stazione VALLE ALTA", 0, 0, "3 (fermata)", "Valle_Alta_101-.txt:5"},
      {"rallentamento", "Rallentamento a 120 km/h", 2500, 2900, "51-59", "Valle_Alta_101-.txt:8"},
      {"avviso", "Cartello di avviso del rallentamento a 120 km/h", 1300, 1300, "27", "Valle_Alta_101-.txt:8"},
      {"segnale", "Segnale", 2950, 2950, "60", "Valle_Alta_101-.txt:10"},
      {"abbattimento", "Punto di codice", 3500, 3500, "70", "Valle_Alta_101-.txt:12"},
  };
  for (const expected& e : table) {
    SCOPED_TRACE(e.kind);
    const json& j = o.at(e.kind);
    EXPECT_EQ(j.at("nome"), e.name);
    EXPECT_EQ(j.at("inizio"), e.from);
    EXPECT_EQ(j.at("fine"), e.to);
    EXPECT_EQ(j.at("cella"), e.cell);
    EXPECT_EQ(j.at("fonte"), e.source);
  }
  // Fields in words, and what the compiled cells hold.
  EXPECT_EQ(o.at("segnale").at("km"), "km 2,950");
  EXPECT_EQ(field(o.at("segnale"), "nella cella"), "segnale, s1d1 30, s2d2 10, s3d3 0, rapp_aspetto 3");
  EXPECT_EQ(field(o.at("segnale"), "marche di avvicinamento"), "celle 58, 56, 54, 52 (100, 200, 300, 400 m prima)");
  EXPECT_EQ(field(o.at("rallentamento"), "f_ta"), "1: celle di avvicinamento 23-26");
  EXPECT_EQ(field(o.at("rallentamento"), "cartello di avviso"), "1300 m, cella 27");
  EXPECT_EQ(o.at("rallentamento").at("velocita"), 120);
  EXPECT_EQ(field(o.at("curva"), "curvatura"), "0,001 per metro, raggio 1000 m");
  EXPECT_EQ(field(o.at("galleria"), "tipo"), "11: con marcatori ogni 200 m, tipo 1");
  EXPECT_EQ(field(o.at("galleria"), "nelle celle"), "tipo di galleria 1");
  EXPECT_EQ(field(o.at("stazione"), "lunghezza"), "400 m: tratto da -200 m a 200 m");
  EXPECT_EQ(field(o.at("stazione"), "orario"), "7:30:00");
  EXPECT_EQ(field(o.at("indicatori"), "nella cella"), "indicatore di velocita' massima, rango_a 1500, rango_b 1600, rango_c 1600, strisce 0");
  EXPECT_EQ(field(o.at("cartello"), "scritta"), "(ROCCA)(450 m.)");
  EXPECT_EQ(field(o.at("abbattimento"), "valore"), "180: codice 180 nella cella");
}

TEST(ServeObjects, KilometresWithADecimalComma) {
  EXPECT_EQ(km_words(0), "km 0,000");
  EXPECT_EQ(km_words(37850), "km 37,850");
  EXPECT_EQ(km_words(-200), "km -0,200");
}

// What the page draws the line from: the track from the start, the
// profile, the stations.
TEST(ServeState, TheDrawingHoldsWhatThePageDrawsTheLineFrom) {
  live_scenario live(kSet);
  live.update({kLine, kTrain});
  const json& d = live.state().at("disegno");
  ASSERT_TRUE(d.is_object());
  const json& plan = d.at("vista").at("pianta");
  EXPECT_EQ(plan.at("ultimo"), 5000);
  EXPECT_EQ(plan.at("punti").size(), 2 * (5000 / plan.at("passo").get<size_t>() + 1));
  EXPECT_EQ(plan.at("punti")[0], 0);
  EXPECT_EQ(plan.at("punti")[1], 0);
  const json& profile = d.at("vista").at("profilo");
  EXPECT_EQ(profile.at("altitudini").size(), 5000u / 50 + 1);
  EXPECT_EQ(profile.at("altitudini")[40], 12.0 * 2);  // 12 per mille for 2 km
  EXPECT_EQ(*std::max_element(profile.at("velocita").begin(), profile.at("velocita").end()), 70);
  EXPECT_EQ(d.at("lunghezza"), 5000);
  // The fastest run from the first station to the last, a point per 50 m,
  // and the timetable from the departure.
  const json& run = d.at("corsa");
  EXPECT_EQ(run.at("velocita").size(), 4000u / 50 + 1);
  EXPECT_EQ(run.at("velocita")[0], 0);
  EXPECT_EQ(run.at("velocita").back(), 0);
  EXPECT_EQ(*std::max_element(run.at("velocita").begin(), run.at("velocita").end()), 70);
  EXPECT_EQ(run.at("partenza"), (7 * 60 + 30) * 60);
  EXPECT_EQ(run.at("orario"), json::parse(R"([{"m":0,"t":0},{"m":4000,"t":360}])"));
  EXPECT_LT(run.at("tempi").back().get<double>(), 360);
  EXPECT_EQ(d.at("stazioni"),
            json::parse(R"([{"nome":"VALLE ALTA","posizione":0},{"nome":"MONTE","posizione":4000}])"));
}

TEST(ServeState, AFaultKeepsTheLastDrawingOutOfDateAndItsFixBringsItBack) {
  live_scenario live(kSet);
  live.update({kLine, kTrain});
  EXPECT_EQ(live.state().at("errore"), nullptr);
  EXPECT_EQ(live.state().at("aggiornato"), true);
  EXPECT_EQ(live.state().at("diagnostica"), json::array());
  const json first_drawing = live.state().at("disegno");

  std::string faulty = kTrain;
  faulty.replace(faulty.find("4,    300,"), 10, "4,    350,");
  live.update({kLine, faulty});
  const json& s = live.state();
  EXPECT_EQ(s.at("revisione"), 2);
  EXPECT_EQ(s.at("aggiornato"), false);
  EXPECT_EQ(s.at("disegno"), first_drawing);
  EXPECT_EQ(s.at("errore"), "valle/Valle_Alta_101-.txt:6:29: errore 9: lunghezza della stazione non multipla di 100 m: "
                         "350 m (stazione a 4000 m)");
  ASSERT_EQ(s.at("diagnostica").size(), 1u);
  const json& d = s.at("diagnostica").at(0);
  EXPECT_EQ(d.at("gravita"), "errore");
  EXPECT_EQ(d.at("codice"), 9);
  EXPECT_EQ(d.at("file"), "valle/Valle_Alta_101-.txt");
  EXPECT_EQ(d.at("riga"), 6);
  EXPECT_EQ(d.at("posizione"), 4000);
  EXPECT_EQ(s.at("errori"), 1);

  std::string renamed = kTrain;
  renamed.replace(renamed.find("MONTE"), 5, "CIMA");
  live.update({kLine, renamed});
  EXPECT_EQ(live.state().at("aggiornato"), true);
  EXPECT_EQ(live.state().at("disegno").at("revisione"), 3);
  EXPECT_EQ(live.state().at("disegno").at("stazioni").at(1).at("nome"), "CIMA");
}

TEST(ServeState, AWarningPointsAtThePositionOfTheRecordOnItsLine) {
  std::string line = kLine;
  line.replace(line.find("pendenza,    2000"), 8, "pendneza");
  live_scenario live(kSet);
  live.update({line, kTrain});
  const json& s = live.state();
  EXPECT_EQ(s.at("aggiornato"), true);
  ASSERT_EQ(s.at("diagnostica").size(), 1u);
  EXPECT_EQ(s.at("diagnostica").at(0).at("gravita"), "avviso");
  EXPECT_EQ(s.at("diagnostica").at(0).at("tipo"), "unknown_field");
  EXPECT_EQ(s.at("diagnostica").at(0).at("riga"), 8);
  // The misspelt key places nothing: no position to centre on.
  EXPECT_EQ(s.at("diagnostica").at(0).at("posizione"), nullptr);
}

// A definition full of mistakes: the totals count them all, the list
// holds the first thousand, and the page is told how many it leaves out.
TEST(ServeState, TheListOfFindingsIsBoundedAndSaysHowManyItLeavesOut) {
  std::string line = kLine;
  std::string unknown;
  for (int i = 0; i < 1500; ++i) unknown += "campo_inventato,    " + std::to_string(i) + "\r\n";
  line.insert(line.find("[curve]"), unknown);
  live_scenario live(kSet);
  live.update({line, kTrain});
  const json& s = live.state();
  EXPECT_EQ(s.at("avvisi"), 1500);
  EXPECT_EQ(s.at("diagnostica").size(), 1000u);
  EXPECT_EQ(s.at("non_elencati"), 500);
  EXPECT_EQ(s.at("diagnostica").at(0).at("riga"), 3);
  live.update({kLine, kTrain});
  EXPECT_EQ(live.state().at("non_elencati"), 0);
}

TEST(ServeHttp, AnswersItsThreePathsAndNothingElse) {
  live_scenario live(kSet);
  live.update({kLine, kTrain});
  const std::vector<std::string> own = {"127.0.0.1:8765", "localhost:8765"};
  struct request_case {
    const char* method;
    const char* target;
    const char* host;  // null: no Host header
    unsigned status;
    const char* type;
  };
  const request_case cases[] = {
      {"GET", "/", "127.0.0.1:8765", 200, "text/html; charset=utf-8"},
      {"GET", "/?ricarica=1", "localhost:8765", 200, "text/html; charset=utf-8"},
      {"GET", "/dati.json", nullptr, 200, "application/json; charset=utf-8"},
      {"GET", "/eventi", "127.0.0.1:8765", 200, "text/event-stream"},
      {"GET", "/Valle_Alta_linea.txt", "127.0.0.1:8765", 404, "text/plain; charset=utf-8"},
      {"GET", "/../valle/Valle_Alta_linea.txt", "127.0.0.1:8765", 404, "text/plain; charset=utf-8"},
      {"GET", "/favicon.ico", "127.0.0.1:8765", 404, "text/plain; charset=utf-8"},
      {"POST", "/", "127.0.0.1:8765", 405, "text/plain; charset=utf-8"},
      // A page elsewhere whose name was made to point here.
      {"GET", "/dati.json", "attacker.example:8765", 403, "text/plain; charset=utf-8"},
      {"GET", "/", "127.0.0.1:9999", 403, "text/plain; charset=utf-8"},
  };
  for (const request_case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.target);
    const auto host = c.host != nullptr ? std::optional<std::string_view>(c.host) : std::nullopt;
    const http_answer a = answer_request(c.method, c.target, host, own, live);
    EXPECT_EQ(a.status, c.status);
    EXPECT_EQ(a.content_type, c.type);
  }
  // Given an address other computers reach, any name reaches it.
  EXPECT_EQ(answer_request("GET", "/", "192.168.1.5:8765", {}, live).status, 200u);
  // The state is written once per update, and every request shares it.
  const http_answer data = answer_request("GET", "/dati.json", std::nullopt, own, live);
  EXPECT_EQ(json::parse(*data.body), live.state());
  EXPECT_EQ(data.body, answer_request("GET", "/dati.json", std::nullopt, own, live).body);
  const std::string head = answer_head(data, data.body->size());
  EXPECT_EQ(head.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(data.body->size()) + "\r\n"), std::string::npos);
  EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
}

// Served on a loopback address, under whatever name --host gave it, the
// server answers only to that address and "localhost": a page elsewhere
// may make its own name point at any loopback address.
TEST(ServeHttp, OnALoopbackAddressOnlyItsOwnNamesAreAnswered) {
  struct hosts_case {
    const char* address;
    bool loopback;
    std::vector<std::string> names;
  };
  const hosts_case cases[] = {
      {"127.0.0.1", true, {"127.0.0.1:8765", "localhost:8765"}},
      {"127.0.0.2", true, {"127.0.0.2:8765", "localhost:8765"}},
      {"[::1]", true, {"[::1]:8765", "localhost:8765"}},
      {"192.168.1.5", false, {}},
      {"0.0.0.0", false, {}},
  };
  for (const hosts_case& c : cases) EXPECT_EQ(own_hosts(c.address, c.loopback, 8765), c.names) << c.address;
}

TEST(ServeHttp, ThePageIsOneDocumentThatLoadsNothingFromElsewhere) {
  std::string page = serve_page();
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<html lang=\"it\">"), std::string::npos);
  EXPECT_NE(page.find("new EventSource('/eventi')"), std::string::npos);
  // The map library is built in whole, in a script of its own; it loads
  // images, tiles or links only when asked to, and the page never asks.
  const std::string library_start = "<script id=\"leaflet\">";
  const size_t from = page.find(library_start), to = page.find("</script>", from);
  ASSERT_NE(from, std::string::npos);
  const std::string library = page.substr(from, to - from);
  EXPECT_NE(library.find("CRS"), std::string::npos);
  for (const char* outside : {"<link", "@import"}) EXPECT_EQ(library.find(outside), std::string::npos) << outside;
  page.erase(from, to - from);
  // The SVG namespace is a name, not a link.
  for (size_t at; (at = page.find("http://www.w3.org/2000/svg")) != std::string::npos;) page.erase(at, 26);
  for (const char* outside : {"http://", "https://", "src=", "<link", "@import", "url("}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  EXPECT_EQ(page.find("<script></script>"), std::string::npos);
  EXPECT_EQ(page.find("/*leaflet*/"), std::string::npos);
}

TEST(ServeCommand, RefusesABadCommandLineBeforeListening) {
  temp_dir dir;
  write_file(dir.file("Valle_Alta_linea.txt"), kLine);
  write_file(dir.file("Valle_Alta_101-.txt"), kTrain);
  for (const std::string port : {"0", "65536", "80a", ""}) {
    const auto run = testing::run_command(run_serve, {dir.str(), "--route", "Valle_Alta", "--train", "101", "--port", port});
    EXPECT_EQ(run.status, kExitUsage) << port;
    EXPECT_NE(run.err.find("porta non valida"), std::string::npos) << run.err;
  }
  const auto missing = testing::run_command(run_serve, {dir.str(), "--route", "Valle_Alta", "--train", "102"});
  EXPECT_EQ(missing.status, kExitUsage);
  const auto help = testing::run_command(run_serve, {"--help"});
  EXPECT_EQ(help.status, kExitClean);
  EXPECT_NE(help.out.find("uso: scenario serve DIR"), std::string::npos);
}

}  // namespace
}  // namespace scenario::tool
