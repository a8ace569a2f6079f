#include "content/train_definition.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

// The 65 lines of the train definition, 2736 bytes with CR LF. The clock
// line keeps its trailing blank.
constexpr std::array<std::string_view, 66> kLines = {
    // Cars, braked-mass percentage, sand, starting clock (fields split by blanks).
    "[generale]",
    "numero vetture,    3",
    "percentuale massa frenata,    120",
    "sabbia,    300",
    "orologio,    9               20            30 ",
    // Adhesion profile: position, adhesion from there on.
    "[aderenze]",
    "aderenza,       0,    95",
    "aderenza,    3550,    85",
    "aderenza,    4250,    70",
    "aderenza,    6850,    80",
    "aderenza,   14500,    90",
    "aderenza,   14800,    80",
    "aderenza,   15050,    70",
    "aderenza,   17000,    75",
    "aderenza,   17800,    85",
    "aderenza,   18050,    75",
    "aderenza,   19100,    85",
    "aderenza,   19900,    80",
    "aderenza,   20400,    70",
    "aderenza,   21450,    80",
    "aderenza,   21800,    85",
    "aderenza,   22800,    75",
    "aderenza,   23100,    80",
    "aderenza,   25200,    70",
    "aderenza,   28100,    85",
    "aderenza,   29850,    70",
    "aderenza,   30150,    85",
    "aderenza,   33500,    70",
    "aderenza,   34050,    85",
    "aderenza,   37000,   100",
    // Speed limit of the train.
    "[vel_limite]",
    "velocita,       0,    80",
    // Stations: position, kind, length, settings, scheduled time, name.
    "[stazioni]",
    "stazione,       0, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    1,   6,48, 0, BRENVALO TERME",
    "stazione,    3550, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   9,25, 0, PONTE DELLA VENTURINA",
    "stazione,    7700, 22,  300,  0, 0, 1,  0,0,0,  4,1,1,   60,   9,31, 0, MOLINO DEL PALLONE",
    "stazione,    9650, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, BIAGIONI LAGACCI",
    "stazione,   14750, 12,  300,  1, 0, 0,  4,1,0,  2,1,1,   60,   9,47, 0, PRACCHIA",
    "stazione,   17900, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   9,51, 0, S.MOMME'",
    "stazione,   19900, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, CASTAGNO",
    "stazione,   22250, 22,  200,  0, 0, 1,  0,0,0,  4,1,1,   60,   9,57, 0, CORBEZZI",
    "stazione,   28250, 22,  200,  0, 0, 1,  0,0,0,  4,1,1,  102,   0, 0, 0, PITECCIO",
    "stazione,   34550, 22,  300,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, VALDIBRANA",
    "stazione,   38000, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, MORVENA OVEST",
    "stazione,   39900,  4,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  10,13, 0, MORVENA",
    // Slowdowns: position, speed, length and three further fields.
    "[rallentamenti]",
    "rallentamento,    4850,    30,  900, 0,  0,  0",
    "rallentamento,   20900,    30,  300, 0,  0,  0",
    // Signals in ascending position.
    "[segnali]",
    "segnale,    5950,   1, 3, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,    7000,   2, 3, 1,  0, 0,    0,  0,0,0, 230",
    "segnale,   13250,   1, 3, 4,  0, 0,    0,  0,0,0, 0",
    "segnale,   14100,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,   20200,   1, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   21450,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   25100,   1, 3, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   26350,   2, 3, 1,  0, 0,    0,  0,0,0, 220",
    "segnale,   32450,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   33700,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   36600,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   37450,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   37850,   1, 5, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   39050,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
    // Code points are left to the route post-processing: the section stays empty.
    "[codici]",
    "[fine]",
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> train_definition_lines() { return kLines; }

void dati_treno(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, train_definition_name(id.route_name, id.train_number)), kLines);
}

}  // namespace scenario
