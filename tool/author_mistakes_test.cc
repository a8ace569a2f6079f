// Mistakes authors make in a small line of their own, each with what
// `check` tells them: on the record's own line and column, in words that
// name the one thing wrong.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/test_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/tool_testing.h"

namespace scenario::tool {
namespace {

using scenario::testing::temp_dir;
using scenario::testing::write_file;
using testing::run_command;
using testing::tool_run;

constexpr char kLine[] =
    "[generale]\r\n"                                              // 1
    "lunghezza percorso,    12000\r\n"                            // 2
    "progressiva chilometrica uno,    0,    5000,    1\r\n"       // 3
    "[pendenze]\r\n"                                              // 4
    "pendenza,    0,    8\r\n"                                    // 5
    "pendenza,    3000,    -12\r\n"                               // 6
    "[curve]\r\n"                                                 // 7
    "curvas4,    1500,    300\r\n"                                // 8
    "curvad6,    4000,    200\r\n"                                // 9
    "[montagne]\r\n"                                              // 10
    "montagna,    6000,    6800,    11\r\n"                       // 11
    "[cartelli]\r\n"                                              // 12
    "cartello_indicatore,    2500,    (SELVA)(520 m.)\r\n"        // 13
    "[fine]\r\n";                                                 // 14
constexpr char kTrain[] =
    "[generale]\r\n"                                                                                 // 1
    "percentuale massa frenata,    105\r\n"                                                          // 2
    "numero vetture,    3\r\n"                                                                       // 3
    "orologio,    8    5    0\r\n"                                                                   // 4
    "[aderenze]\r\n"                                                                                 // 5
    "aderenza,    0,    90\r\n"                                                                      // 6
    "[vel_limite]\r\n"                                                                               // 7
    "velocita,    0,    80\r\n"                                                                      // 8
    "[stazioni]\r\n"                                                                                 // 9
    "stazione,    0,    12,    400,    0, 0, 0, 1, 1, 0, 4, 1, 1, 1,    8, 10, 0,    VALDORSA\r\n"  // 10
    "stazione,    6000,    12,    300,    0, 0, 0, 1, 1, 0, 2, 1, 1, 0,    8, 16, 0,    SELVA\r\n"  // 11
    "stazione,    11500,    12,    400,    0, 0, 0, 1, 1, 0, 4, 1, 1, 1,    8, 24, 0,    PIANA\r\n"  // 12
    "[segnali]\r\n"                                                                                  // 13
    "segnale,    5000,   1, 3, 1,  0, 0,    0,  0,0,0, 0\r\n"                                        // 14
    "[fine]\r\n";                                                                                    // 15

struct mistake {
  const char* name;
  bool in_train;
  std::string from, to;  // replaced once; an empty `from` replaces the whole file
  std::string message;   // what check prints for it, from the file name on; DIR/ is the folder
  std::string also_from = {}, also_to = {};  // replaced once in the other definition
};

// Replaces `from` by `to` once in `text`; an empty `from` replaces it all.
bool change(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) {
    text = to;
    return true;
  }
  const size_t at = text.find(from);
  if (at == std::string::npos) return false;
  text.replace(at, from.size(), to);
  return true;
}

// The message with DIR/ standing for the folder.
std::string in_folder(std::string message, const std::string& dir) {
  for (size_t at; (at = message.find("DIR/")) != std::string::npos;) message.replace(at, 4, dir + "/");
  return message;
}

const mistake kMistakes[] = {
    {"a curve short of its length", false, "curvas4,    1500,    300", "curvas4,    1500",
     "Valdorsa_linea.txt:8:1: errore 25: lettura non riuscita: il record ha meno campi del previsto: il campo 2 e' "
     "stato letto dalla riga 9: \"curvad6\" non e' un numero intero\ncurvas4,    1500\n^\n"},
    // The name is read from the next line, whose station is lost.
    {"a station without its name", true, "8, 16, 0,    SELVA", "8, 16, 0",
     "Valdorsa_2231-.txt:11:1: errore 25: lettura non riuscita: il record ha meno campi del previsto: il campo 17 "
     "e' stato letto dalla riga 12: il record \"stazione\" della riga 12 e' andato perso\n"},
    {"a misspelt section header", false, "[pendenze]", "[pendenza]",
     "Valdorsa_linea.txt:4:1: avviso: sezione sconosciuta, i suoi record sono letti comunque (\"[pendenza]\"): "
     "forse: [pendenze]\n"},
    {"a misspelt key", false, "pendenza,    3000", "pendneza,    3000",
     "Valdorsa_linea.txt:6:1: avviso: campo che non corrisponde a nessuna chiave, ignorato (\"pendneza\"): "
     "forse: pendenza\n"},
    {"a station past the route's end", true, "stazione,    11500", "stazione,    13600",
     "Valdorsa_2231-.txt:12:14: avviso: posizione oltre la fine del percorso: 13600 m su un percorso di 12000 m: "
     "accettata solo nel margine di 7000 m oltre la fine\n"},
    {"a station time that cannot be", true, "8, 24, 0,    PIANA", "25, 75, 99,    PIANA",
     "Valdorsa_2231-.txt:12:72: avviso: orario non valido: 25, 75, 99: le ore vanno da 0 a 23, i minuti e i secondi "
     "da 0 a 59\n"},
    {"a train with no station", true, "", "[generale]\r\nvelocita, 0, 80\r\n[fine]\r\n",
     "Valdorsa_2231-.txt:1:1: avviso: la definizione del treno non ha nessuna stazione\n"},
    // Named at the section that should hold it.
    {"a train with no speed limit", true, "velocita,    0,    80\r\n", "",
     "Valdorsa_2231-.txt:7:1: avviso: la definizione del treno non ha nessun limite di velocita': ogni cella avrebbe "
     "velocita' 0\n"},
    {"a train with no speed limit nor its section", true, "[vel_limite]\r\nvelocita,    0,    80\r\n", "",
     "Valdorsa_2231-.txt:1:1: avviso: la definizione del treno non ha nessun limite di velocita'"},
    {"a train with no speed limit under a heading comment", true, "",
     "- treno di prova\r\n[generale]\r\nnumero vetture,    3\r\n[stazioni]\r\nstazione,    0,    12,    400,    0, 0, "
     "0, 1, 1, 0, 4, 1, 1, 1,    8, 10, 0,    VALDORSA\r\n[fine]\r\n",
     "Valdorsa_2231-.txt:2:1: avviso: la definizione del treno non ha nessun limite di velocita'"},
    // A time out of line is named at its own station, not at the next one.
    {"hours and minutes swapped", true, "8, 16, 0,    SELVA", "16, 8, 0,    SELVA",
     "Valdorsa_2231-.txt:11:71: avviso: orario della stazione fuori ordine rispetto alle stazioni vicine (\"SELVA\"): "
     "16:08:00, dopo le 8:24:00 di PIANA, la stazione seguente; forse ore e minuti sono scambiati: 8, 16\n"},
    {"a station time too early", true, "8, 16, 0,    SELVA", "7, 16, 0,    SELVA",
     "Valdorsa_2231-.txt:11:71: avviso: orario della stazione fuori ordine rispetto alle stazioni vicine (\"SELVA\"): "
     "7:16:00, prima delle 8:10:00 di VALDORSA, la stazione precedente\n"},
    {"a name saved as UTF-8", true, "PIANA", "CITT\xC3\x80",
     "Valdorsa_2231-.txt:12:89: avviso: il file non e' in Windows-1252 (ANSI) (\"\xC3\x83\xE2\x82\xAC\"): testo in "
     "UTF-8; il formato e' Windows-1252 (ANSI): salva il file con quella codifica"},
    {"a byte order mark", false, "[generale]\r\nlunghezza", "\xEF\xBB\xBF[generale]\r\nlunghezza",
     "Valdorsa_linea.txt:1:1: avviso: il file non e' in Windows-1252 (ANSI): il file inizia con un BOM UTF-8"},
    {"a plus sign", false, "pendenza,    3000,    -12", "pendenza,    3000,    +12",
     "Valdorsa_linea.txt:6:23: errore 25: lettura non riuscita: \"+12\" non e' un numero intero: il segno + non si "
     "scrive (12)\n"},
    {"a decimal point", false, "pendenza,    3000,    -12", "pendenza,    3000,    -12.5",
     "Valdorsa_linea.txt:6:23: errore 25: lettura non riuscita: \"-12.5\" non e' un numero intero: i decimali non "
     "sono ammessi\n"},
    {"a station length off the 100 m grid", true, "12,    300,", "12,    350,",
     "Valdorsa_2231-.txt:11:30: errore 9: lunghezza della stazione non multipla di 100 m: 350 m (stazione a 6000 m)\n"},
    {"a tunnel running past the cells", false, "6800,    11", "19500,    11",
     "Valdorsa_linea.txt:11:23: errore 15: posizione fuori dal percorso: la galleria arriva a 19500 m, oltre "
     "l'ultima cella del percorso, a 19000 m (6000 m)\n"},
    {"a curve key without its digit", false, "curvad6", "curvad",
     "Valdorsa_linea.txt:9:1: errore 103: tracciato non calcolabile: la chiave non ha una cifra da 1 a 6, che da' la "
     "curvatura\n"},
    {"a gradient the byte cannot hold", false, "-12", "-150",
     "Valdorsa_linea.txt:6:23: errore 25: lettura non riuscita: la pendenza -150 per mille non entra nel campo della "
     "cella (da -100 a 155)\n"},
    // Records that would store something other than what they say.
    {"a tunnel written end-first", false, "6000,    6800,", "6800,    6000,",
     "Valdorsa_linea.txt:11:23: errore 25: lettura non riuscita: la galleria finisce a 6000 m, prima del suo inizio a "
     "6800 m: i campi sono inizio, fine, tipo\n"},
    {"a slowdown of negative length", true, "[segnali]", "rallentamento,    3000,    30,    -300, 0, 0, 0\r\n[segnali]",
     "Valdorsa_2231-.txt:13:35: errore 25: lettura non riuscita: la lunghezza del rallentamento e' negativa (-300 m): "
     "la fine verrebbe prima dell'inizio\n"},
    {"a station of negative length", true, "12,    300,", "12,    -300,",
     "Valdorsa_2231-.txt:11:30: errore 25: lettura non riuscita: la lunghezza della stazione e' negativa (-300 m): il "
     "suo tratto finirebbe prima di cominciare\n"},
    {"a curve of negative length", false, "4000,    200", "4000,    -200",
     "Valdorsa_linea.txt:9:22: errore 25: lettura non riuscita: la lunghezza della curva e' negativa (-200 m)\n"},
    // Two records in one cell: both are named.
    {"a signal on another signal's cell", true, "[fine]",
     "segnale,    5010,   1, 3, 1,  0, 0,    0,  0,0,0, 0\r\n[fine]",
     "Valdorsa_2231-.txt:15:13: errore 16: segnale su una cella gia' occupata (con il record di riga 14 di "
     "DIR/Valdorsa_2231-.txt) (5010 m)\n"},
    {"a name board on a speed board's cell", false, "[cartelli]",
     "indicatori_vmax,    2500,    80,    80,    80,    0,    0,    0,    0,    0\r\n[cartelli]",
     "Valdorsa_linea.txt:14:25: errore 6: cartello indicatore su una cella gia' occupata (con il record di riga 12 "
     "di DIR/Valdorsa_linea.txt) (2500 m)\n"},
    // The reserved cell 1: written by a board before 25 m, or by the code
    // point before a slowdown that a board at 50 m pushed down into it.
    {"a speed board in the reserved cell", false, "[cartelli]",
     "indicatori_vmax,    10,    80,    80,    80,    0,    0,    0,    0,    0\r\n[cartelli]",
     "Valdorsa_linea.txt:12:1: errore 1250: campo riservato del marchio di formato gia' occupato: un oggetto nei "
     "primi 75 m scrive nella cella 1\n"},
    {"a code point pushed into the reserved cell", true, "[segnali]",
     "rallentamento,    650,    30,    300, 0, 0, 0\r\n[segnali]",
     "Valdorsa_2231-.txt:13:1: errore 1250: campo riservato del marchio di formato gia' occupato: un oggetto nei "
     "primi 75 m scrive nella cella 1: vi finisce il punto codice aggiunto per questo record, perche' la cella 2 e' "
     "occupata (con il record di riga 12 di DIR/Valdorsa_linea.txt)\n",
     "[cartelli]", "indicatori_vmax,    50,    80,    80,    80,    0,    0,    0,    0,    0\r\n[cartelli]"},
    // Records that compile, but rarely as their author means.
    {"a tunnel of length 0", false, "6000,    6800,", "6000,    6000,",
     "Valdorsa_linea.txt:11:23: avviso: tratto di lunghezza nulla (\"montagna\"): la galleria da 6000 a 6000 m non "
     "copre nessuna cella di 50 m\n"},
    {"a curve of length 0", false, "4000,    200", "4000,    0",
     "Valdorsa_linea.txt:9:22: avviso: tratto di lunghezza nulla (\"curva\"): la curva non cambia il tracciato\n"},
    {"a slowdown of length 0", true, "[segnali]", "rallentamento,    3000,    30,    0, 0, 0, 0\r\n[segnali]",
     "Valdorsa_2231-.txt:13:35: avviso: tratto di lunghezza nulla (\"rallentamento\"): inizio e fine cadono nella "
     "stessa cella: il rallentamento non ha una cella di fine\n"},
    {"a station of length 0", true, "12,    300,", "12,    0,",
     "Valdorsa_2231-.txt:11:30: avviso: tratto di lunghezza nulla (\"stazione\"): la stazione a 6000 m ha lunghezza "
     "0: il suo tratto va da 6000 a 6000 m\n"},
    {"a slowdown of speed 0", true, "[segnali]", "rallentamento,    3000,    0,    300, 0, 0, 0\r\n[segnali]",
     "Valdorsa_2231-.txt:13:28: avviso: velocita' 0 km/h (\"rallentamento\"): il rallentamento ferma il treno\n"},
    {"a speed limit that is stored as 0", true, "velocita,    0,    80", "velocita,    0,    2",
     "Valdorsa_2231-.txt:8:20: avviso: velocita' 0 km/h (\"velocita\"): il treno non puo' muoversi da 0 m (2 km/h "
     "e' salvato come 0)\n"},
    {"a slowdown running past the route's end", true, "[segnali]",
     "rallentamento,    11000,    30,    2000, 0, 0, 0\r\n[segnali]",
     "Valdorsa_2231-.txt:13:36: avviso: posizione oltre la fine del percorso (\"rallentamento\"): il rallentamento "
     "finisce a 13000 m su un percorso di 12000 m\n"},
    {"a signal before 325 m", true, "segnale,    5000", "segnale,    200",
     "Valdorsa_2231-.txt:14:13: avviso: segnale prima di 325 m: i preavvisi prima dell'inizio del percorso sono "
     "tralasciati (\"segnale\"): mancano i preavvisi a 300 e 400 m prima del segnale a 200 m\n"},
    {"overlapping tunnels", false, "[cartelli]", "montagna,    6600,    7200,    11\r\n[cartelli]",
     "Valdorsa_linea.txt:12:14: avviso: galleria sovrapposta a una precedente (\"montagna\"): copre celle della "
     "galleria da 6000 a 6800 m, che prendono il tipo di questa, 3\n"},
    {"a second route length", false, "progressiva", "lunghezza percorso,    15000\r\nprogressiva",
     "Valdorsa_linea.txt:3:24: avviso: lunghezza del percorso scritta due volte: vale l'ultima: 15000 m al posto dei "
     "12000 m della riga 2\n"},
    {"a tunnel type the format lacks", false, "6800,    11", "6800,    15",
     "Valdorsa_linea.txt:11:32: avviso: tipo di galleria che il formato non prevede (\"montagna\"): 15 (salvato come "
     "5): i tipi sono 1, 2 e 3, o 11, 12 e 13 con i marcatori\n"},
    {"a code point above 16 bits", true, "[segnali]", "abbattimento,    8000,    70000\r\n[segnali]",
     "Valdorsa_2231-.txt:13:27: avviso: valore oltre 65535: se ne salvano solo i 16 bit bassi (\"abbattimento\"): "
     "70000 e' salvato come 4464\n"},
    // Messages that must point at the real mistake.
    {"an empty train definition", true, "", "",
     "Valdorsa_2231-.txt:1:1: errore 25: lettura non riuscita: la definizione del treno non ha nessun record: servono "
     "almeno le stazioni e i limiti di velocita'\n"},
    {"an empty line definition", false, "", "",
     "Valdorsa_linea.txt: errore 102: manca la sezione [generale] nella definizione della linea: il file e' vuoto\n"},
    {"the route length after the general section", false,
     "lunghezza percorso,    12000\r\nprogressiva chilometrica uno,    0,    5000,    1\r\n[pendenze]\r\n",
     "progressiva chilometrica uno,    0,    5000,    1\r\n[pendenze]\r\nlunghezza percorso,    12000\r\n",
     "Valdorsa_linea.txt:4:1: errore 25: lettura non riuscita: la lunghezza del percorso e' scritta fuori dalla "
     "sezione [generale], dove non e' letta: va scritta in [generale], prima dei record che ne hanno bisogno\n"},
    {"stations out of order", true, "stazione,    11500", "stazione,    3000",
     "Valdorsa_2231-.txt:12:14: errore 22: stazione a meno di 350 m dalla fine della stazione precedente: le stazioni "
     "vanno scritte in ordine di posizione, e la precedente, SELVA, e' a 6000 m (stazione a 3000 m)\n"},
    {"fields separated by blanks", false, "pendenza,    3000,    -12", "pendenza 3000 12",
     "Valdorsa_linea.txt:6:1: errore 25: lettura non riuscita: il record ha meno campi del previsto: il campo 1 e' "
     "stato letto dalla riga 7: \"[curve]\" non e' un numero intero; i campi si separano con la virgola: "
     "\"pendenza, 3000, 12\"\n"},
    // A "-" makes the whole line a comment.
    {"fields separated by semicolons", false, "pendenza,    3000,    -12", "pendenza; 3000; -12",
     "Valdorsa_linea.txt:6:1: avviso: record letto come commento perche' contiene un \"-\" (\"pendenza; 3000; -12\"): "
     "i campi si separano con la virgola: \"pendenza, 3000, -12\"\n"},
    {"a train record in the line definition", false, "[fine]", "velocita,    0,    80\r\n[fine]",
     "Valdorsa_linea.txt:14:1: avviso: campo che non corrisponde a nessuna chiave, ignorato (\"velocita\"): e' un "
     "record della definizione del treno: va scritto in NOME_NUMERO-.txt, non nella definizione della linea\n"},
    {"a line record in the train definition", true, "[fine]", "pendenza,    0,    5\r\n[fine]",
     "Valdorsa_2231-.txt:15:1: avviso: campo che non corrisponde a nessuna chiave, ignorato (\"pendenza\"): e' un "
     "record della definizione della linea: va scritto in NOME_linea.txt, non nella definizione del treno\n"},
    {"a section header without brackets", true, "[segnali]", "segnali",
     "Valdorsa_2231-.txt:13:1: avviso: campo che non corrisponde a nessuna chiave, ignorato (\"segnali\"): le "
     "sezioni si scrivono tra parentesi quadre: [segnali]\n"},
};

class AuthorMistake : public ::testing::TestWithParam<mistake> {};

TEST_P(AuthorMistake, IsToldWhereAndWhat) {
  const mistake& m = GetParam();
  std::string line = kLine, train = kTrain;
  ASSERT_TRUE(change(m.in_train ? train : line, m.from, m.to));
  if (!m.also_from.empty()) {
    ASSERT_TRUE(change(m.in_train ? line : train, m.also_from, m.also_to));
  }
  temp_dir dir;
  write_file(dir.file("Valdorsa_linea.txt"), line);
  write_file(dir.file("Valdorsa_2231-.txt"), train);
  const tool_run run = run_command(run_check, {dir.str(), "--route", "Valdorsa", "--train", "2231"});
  EXPECT_NE(run.out.find(dir.str() + "/" + in_folder(m.message, dir.str())), std::string::npos) << run.out;
}

// The reserved cell reached through a pushed code point, as a script reads
// it: the fault has a file and a line, and names the other record.
TEST(AuthorMistakeJson, ReservedCellFaultHasAPlace) {
  std::string line = kLine, train = kTrain;
  ASSERT_TRUE(
      change(line, "[cartelli]", "indicatori_vmax,    50,    80,    80,    80,    0,    0,    0,    0,    0\r\n[cartelli]"));
  ASSERT_TRUE(change(train, "[segnali]", "rallentamento,    650,    30,    300, 0, 0, 0\r\n[segnali]"));
  temp_dir dir;
  write_file(dir.file("Valdorsa_linea.txt"), line);
  write_file(dir.file("Valdorsa_2231-.txt"), train);
  const tool_run run = run_command(run_check, {dir.str(), "--route", "Valdorsa", "--train", "2231", "--json"});
  EXPECT_EQ(run.status, 1);
  const nlohmann::json report = nlohmann::json::parse(run.out);
  ASSERT_EQ(report["findings"].size(), 1u) << run.out;
  const nlohmann::json& f = report["findings"][0];
  EXPECT_EQ(f["code"], 1250);
  EXPECT_EQ(f["file"], dir.str() + "/Valdorsa_2231-.txt");
  EXPECT_EQ(f["line"], 13);
  EXPECT_NE(f["message"].get<std::string>().find("(con il record di riga 12 di " + dir.str() + "/Valdorsa_linea.txt)"),
            std::string::npos);
  EXPECT_EQ(report["reported"], 1250);
}

// The editor's findings come from the same list: the fault has its place and
// names the other definition by its file name.
TEST(AuthorMistakeEditor, ReservedCellFaultHasAPlace) {
  std::string line = kLine, train = kTrain;
  ASSERT_TRUE(
      change(line, "[cartelli]", "indicatori_vmax,    50,    80,    80,    80,    0,    0,    0,    0,    0\r\n[cartelli]"));
  ASSERT_TRUE(change(train, "[segnali]", "rallentamento,    650,    30,    300, 0, 0, 0\r\n[segnali]"));
  const std::vector<definition_finding> found = collect_findings(definition_texts{line, train}, {"Valdorsa", "2231"});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].code, 1250);
  EXPECT_EQ(found[0].site.file, definition_file::train);
  EXPECT_EQ(found[0].site.line, 13);
  EXPECT_NE(found[0].message.find("(con il record di riga 12 di Valdorsa_linea.txt)"), std::string::npos)
      << found[0].message;
}

INSTANTIATE_TEST_SUITE_P(Valdorsa, AuthorMistake, ::testing::ValuesIn(kMistakes),
                         [](const ::testing::TestParamInfo<mistake>& param) {
                           std::string name = param.param.name;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace scenario::tool
