#include "documents/train_card.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

// The train card, 32 lines, 2186 bytes with CR LF. Timetable rows are 83
// characters wide; the box row "CLASSIFICAZIONE" ends with seven blanks.
constexpr std::array<std::string_view, 33> kLines = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n. 4815   |                   da: BRENVALO T.           |    V160 B    |",
    " |___________________|                    a: MORVENA               |     120%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |    REGIONALE      |              |      250T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    " |  80 |     |  73.370  |     | BRENVALO TERME             |  9.21          |     |",
    " |     |     |  69.890  |     | PONTE DELLA VENTURINA      |  9.24+    9.25 |     |",
    " |     |     |  65.710  |     | MOLINO DEL PALLONE         |  9.30     9.31 |     |",
    " |     |     |  63.670  |     | BIAGIONI-LAGACCI           |       9.33     |     |",
    " |     |     |  58.600  |     | PRACCHIA                   |  9.40     9.47 |     |",
    " |     |     |  55.440  |     | SAN MOMME'                 |  9.50+    9.51 |     |",
    " |     |     |  53.440  |     | CASTAGNO                   |       9.53     |     |",
    " |     |     |  51.080  |     | CORBEZZI                   |  9.56     9.57 |     |",
    " |     |     |  45.100  |     | Piteccio                   |      10.03     |     |",
    " |     |     |  38.800  |     | Valdibrana                 |      10.08     |     |",
    " |     |     |  35.330  |     | MORVENA OVEST              |      10.11     |     |",
    " |     |     |  33.570  |     | MORVENA                    |          10.13 |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    "",
    "",
    "Nota: Nella colonna Orario il simbolo '+' indica 'mezzo minuto'.",
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> train_card_lines() { return kLines; }

void dati_scheda(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, document_name(id.route_name, id.train_number, "scheda_treno.txt")), kLines);
}

}  // namespace scenario
