#include "documents/scenario_notes.h"

#include <array>

#include "content/line_document.h"
#include "model/file_names.h"

namespace scenario {
namespace {

// The scenario notes, 23 lines. The lines are Windows-1252 bytes: the one
// accented letter is the "a grave" of line 10, byte E0; every other accent
// is written as vowel plus apostrophe. No line is longer than 79 characters.
constexpr std::array<std::string_view, 24> kLines = {
    "               Treno 4815 sul percorso Brenvalo Terme - Morvena",
    "",
    " Note sullo scenario:",
    "",
    " - Nella realta' la ferrovia Brenvalana e' a semplice binario. Le altre",
    "   caratteristiche (curve, pendenze, gallerie e fermate) sono quelle reali,",
    "   eccetto il raggio di alcune curve riadattato per motivi di corretta",
    "   visualizzazione.",
    " - Normalmente questa linea e' percorsa da automotrici ALe 582.",
    " - Le condizioni di aderenza tengono conto dell'umidit"
    "\xE0"
    " del tratto di montagna,",
    "   soprattutto nelle gallerie.",
    " - La pendenza della linea e' per la maggior parte al 25 per mille e le",
    "   fermate intermedie, escluse Piteccio e Pracchia, sono anch'esse in forte",
    "   pendenza, quindi occorre fare attenzione al rilascio del freno.",
    " - Il percorso di questo treno e' un po' movimentato da rallentamenti e da",
    "   qualche ritardo nell'apertura dei segnali.",
    "",
    // Credits and signature.
    " Dati tratti da carte topografiche 1:25000 e dal libro \"Binari sul crinale\" di",
    " G. Valdrini-P. Sorbelli-E. Maccanti, dalla videocassetta \"Treni tra le nebbie\"",
    " della serie \"Strade ferrate di quota\" ed altre informazioni varie.",
    "",
    " Arnaldo Quercetti - Poggio Sereno (Valdombra)",
    " arnaldo.quercetti@example.org",
    kEndMarker,
};

}  // namespace

std::span<const std::string_view> scenario_notes_lines() { return kLines; }

void dati_note(const std::string& directory, const scenario_identity& id) {
  write_line_document(path_in(directory, document_name(id.route_name, id.train_number, "note.txt")), kLines);
}

}  // namespace scenario
