#include "documents/slowdown_order.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

// The slowdown order form "Modulo M. 3", 41 lines, 2869 bytes with CR LF.
// Every table row is 82 characters wide.
constexpr std::array<std::string_view, 42> kLines = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  Brenvalo T. - Morvena",
    "",
    "  Si ordina al macchinista del treno 4815 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " |   |                            |            |          |         |            |",
    " | 1 | Ponte della Venturina -    |            |          |         |            |",
    " |   |   - Molino del Pallone     |     69     |    30    |   900   |   ---      |",
    " |   |                            |            |          |         |            |",
    " | 2 | Castagno - Corbezzi        |     53     |    30    |   300   |   ---      |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamento N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> slowdown_order_lines() { return kLines; }

void dati_rallentamenti(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, document_name(id.route_name, id.train_number, "rallentamenti.txt")), kLines);
}

}  // namespace scenario
