#include "model/record_fields.h"

#include "model/ansi_text.h"

namespace scenario {
namespace {

using enum field_unit;
constexpr auto kLine = definition_file::line;
constexpr auto kTrain = definition_file::train;

// ---- line definition, general section ----

constexpr record_field kRouteLength[] = {
    {"lunghezza", "lunghezza del percorso; celle e tracciato proseguono 7000 m oltre", position,
     cell_rule::route_length},
};
constexpr record_field kProgression[] = {
    {"posizione", "punto del percorso da cui vale la progressiva (multiplo di 50 m)", position},
    {"valore", "chilometrica della linea in quel punto, in metri (multiplo di 50 m)", kilometre_value},
    {"segnalino", "1: alla chilometrica si aggiungono 100 m", number},
};
constexpr record_field kBackground[] = {
    {"valore", "valore di sfondo passato al simulatore cosi' com'e'", number},
};
constexpr record_field kRepetition[] = {
    {"inizio", "inizio della ripetizione segnali (multiplo di 50 m)", position},
    {"fine", "fine della ripetizione segnali (multiplo di 50 m); 0: nessuna ripetizione", position},
};

// ---- line definition, records ----

constexpr record_field kGradient[] = {
    {"posizione", "punto da cui vale la pendenza", position, cell_rule::from_cell},
    {"pendenza", "pendenza da qui in poi, positiva in salita (da -100 a 155)", gradient},
};
constexpr record_field kCurve[] = {
    {"inizio", "punto del tracciato in cui la curva comincia", position},
    {"lunghezza", "lunghezza della curva", length},
};
constexpr record_field kTunnel[] = {
    {"inizio", "inizio della galleria", position, cell_rule::tunnel_start},
    {"fine", "fine della galleria", position, cell_rule::tunnel_end},
    {"tipo", "tipo di galleria; sopra 10 con marcatori ogni 200 m (tipo meno 10)", number},
};
constexpr record_field kSpeedBoard[] = {
    {"posizione", "posizione del cartello", position, cell_rule::point},
    {"vas", "rango A: prima velocita'", speed},
    {"vbs", "rango B: prima velocita'", speed},
    {"vcs", "rango C: prima velocita'", speed},
    {"strisces", "strisce della prima indicazione", number},
    {"vad", "rango A: seconda velocita' (vuoto: 0)", speed},
    {"vbd", "rango B: seconda velocita' (vuoto: 0)", speed},
    {"vcd", "rango C: seconda velocita' (vuoto: 0)", speed},
    {"strisced", "strisce della seconda indicazione", number},
};
constexpr record_field kNameBoard[] = {
    {"posizione", "posizione del cartello", position, cell_rule::point},
    {"testo", "scritta del cartello, per esempio (MADONNA)(261 m. )", text},
};

// ---- train definition ----

constexpr record_field kBrakedMass[] = {{"percentuale", "percentuale di massa frenata del treno", number}};
constexpr record_field kCars[] = {{"vetture", "numero di vetture del treno", number}};
constexpr record_field kSpeed[] = {
    {"posizione", "punto da cui vale la velocita' massima del treno", position, cell_rule::from_cell},
    {"velocita'", "velocita' massima da qui in poi, salvata a passi di 5 km/h", speed},
};
constexpr record_field kAdhesion[] = {
    {"posizione", "punto da cui vale l'aderenza", position, cell_rule::from_cell},
    {"aderenza", "valore di aderenza da qui in poi (da 0 a 255)", number},
};
constexpr record_field kClock[] = {
    {"ore", "ora dell'orologio alla partenza", hour},
    {"minuti", "minuti dell'orologio alla partenza", minute},
    {"secondi", "secondi dell'orologio alla partenza", second},
};
constexpr record_field kSand[] = {{"sabbia", "scorta di sabbia", number}};
constexpr record_field kSignal[] = {
    {"posizione", "posizione del segnale; preavvisi 100, 200, 300 e 400 m prima", position, cell_rule::point},
    {"sx", "aspetto sinistro; con 2 vale il tempo", number},
    {"s1", "primo valore sinistro (salvato come s1 x 10 + d1)", number},
    {"s2", "secondo valore sinistro (salvato come s2 x 10 + d2)", number},
    {"s3", "terzo valore sinistro (salvato come s3 x 10 + d3)", number},
    {"rapp", "rappresentazione (salvata come rapp x 10 + sx x 3 + dx)", number},
    {"dx", "aspetto destro", number},
    {"d1", "primo valore destro", number},
    {"d2", "secondo valore destro", number},
    {"d3", "terzo valore destro", number},
    {"tempo", "ritardo della via libera con sx 2; da 1 a 100 diventa 101", number},
};
constexpr record_field kSlowdown[] = {
    {"x", "inizio del rallentamento; avviso 1200 m prima (oltre 1500 m)", position, cell_rule::point},
    {"v", "velocita' del rallentamento", speed},
    {"l", "lunghezza del rallentamento", length},
    {"f_tt", "valore salvato nelle celle di inizio e fine", number},
    {"f_ta", "diverso da 0: quattro celle di preavviso prima dell'avviso", number},
    {"d_v", "diverso da 0: salvato nelle celle del rallentamento", number},
};
constexpr record_field kCodePoint[] = {
    {"posizione", "posizione del punto codice", position, cell_rule::code_point},
    {"valore", "codice (1 o piu'); 0 o meno: taglio senza codice", number},
};
constexpr record_field kStation[] = {
    {"posizione", "posizione della stazione (multiplo di 50 m)", position, cell_rule::station},
    {"tipo", "tipo: 5 e 6, 7 e 8, sotto 25 con cella di fermata, da 25 senza", number},
    {"lunghezza", "lunghezza della stazione (multiplo di 100 m)", length},
    {"S1", "impostazione S1 per il simulatore (da 0 a 255)", number},
    {"S2", "impostazione S2 (da 0 a 255); azzerata sotto 600 m e per la prima stazione", number},
    {"S3", "impostazione S3 (da 0 a 255); se non 0 il tratto si allunga di 50 m", number},
    {"S4", "impostazione S4 per il simulatore", number},
    {"S5", "impostazione S5 per il simulatore", number},
    {"S6", "impostazione S6 per il simulatore (da 0 a 255)", number},
    {"S7", "impostazione S7 per il simulatore", number},
    {"S8", "impostazione S8 per il simulatore", number},
    {"S9", "impostazione S9 per il simulatore", number},
    {"S10", "impostazione S10 per il simulatore (da 0 a 255)", number},
    {"ore", "ora d'orario (0, 0, 0: nessun orario)", hour},
    {"minuti", "minuti d'orario", minute},
    {"secondi", "secondi d'orario", second},
    {"nome", "nome della stazione, fino alla fine della riga", text},
};

constexpr record_kind kKinds[] = {
    {"lunghezza percorso", {"percorso", "lunghezza"}, false, kLine, true, "[generale]", "lunghezza del percorso",
     kRouteLength},
    {"progressiva chilometrica tre", {"tre", "progressiva"}, true, kLine, true, "[generale]",
     "terza progressiva chilometrica", kProgression},
    {"progressiva chilometrica due", {"due", "progressiva"}, true, kLine, true, "[generale]",
     "seconda progressiva chilometrica", kProgression},
    {"progressiva chilometrica uno", {"uno", "progressiva"}, true, kLine, true, "[generale]",
     "prima progressiva chilometrica", kProgression},
    {"sfondo uno", {"sfondo", "uno"}, true, kLine, true, "[generale]", "primo valore di sfondo", kBackground},
    {"sfondo due", {"sfondo", "due"}, true, kLine, true, "[generale]", "secondo valore di sfondo", kBackground},
    {"sfondo tre", {"sfondo", "tre"}, true, kLine, true, "[generale]", "terzo valore di sfondo", kBackground},
    {"ripetizione segnali 4 codici", {"segnali", "ripetizione"}, true, kLine, true, "[generale]",
     "ripetizione segnali; la chiave dice 4 o 9 codici", kRepetition},
    {"pendenza", {"pendenza", nullptr}, false, kLine, false, "[pendenze]", "pendenza da un punto in poi", kGradient},
    {"curva", {"curva", nullptr}, false, kLine, false, "[curve]",
     "curva: s nella chiave a sinistra, altrimenti a destra; la cifra da 1 a 6 dice il raggio", kCurve},
    {"montagna", {"montagna", nullptr}, false, kLine, false, "[montagne]", "galleria", kTunnel},
    {"indicatori_vmax", {"indicatori_v", nullptr}, false, kLine, false, "[cartelli]",
     "cartello indicatore di velocita' massima", kSpeedBoard},
    {"cartello_indicatore", {"indicat", "cartello"}, false, kLine, false, "[indicazioni]",
     "cartello con il nome di una localita'", kNameBoard},
    {"percentuale massa frenata", {"frenata", "massa"}, false, kTrain, false, "[generale]",
     "percentuale di massa frenata", kBrakedMass},
    {"numero vetture", {"vetture", nullptr}, false, kTrain, false, "[generale]", "numero di vetture", kCars},
    {"velocita", {"velocit", nullptr}, false, kTrain, false, "[vel_limite]", "velocita' massima del treno", kSpeed},
    {"aderenza", {"aderenza", nullptr}, false, kTrain, false, "[aderenze]", "aderenza da un punto in poi",
     kAdhesion},
    {"orologio", {"orologio", nullptr}, false, kTrain, false, "[generale]", "orologio alla partenza", kClock},
    {"sabbia", {"sabbia", nullptr}, false, kTrain, false, "[generale]", "scorta di sabbia", kSand},
    {"segnale", {"segnale", nullptr}, false, kTrain, false, "[segnali]", "segnale", kSignal},
    {"rallentamento", {"rallentamento", nullptr}, false, kTrain, false, "[rallentamenti]",
     "rallentamento temporaneo", kSlowdown},
    {"abbattimento", {"abbattimento", nullptr}, false, kTrain, false, "[codici]", "punto codice", kCodePoint},
    {"stazione", {"stazione", nullptr}, false, kTrain, false, "[stazioni]", "stazione con il suo orario",
     kStation},
};

constexpr const char* kLineSections[] = {"[generale]", "[curve]",     "[pendenze]", "[montagne]",
                                         "[cartelli]", "[indicazioni]", "[fine]"};
constexpr const char* kTrainSections[] = {"[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
                                          "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]"};

bool passes(const record_kind& kind, std::string_view key, std::string_view lower) {
  const std::string_view tested = kind.exact_case ? key : lower;
  for (const char* test : kind.tests) {
    if (test != nullptr && !contains(tested, test)) return false;
  }
  return true;
}

}  // namespace

std::span<const record_kind> record_kinds() { return kKinds; }

std::span<const char* const> section_headers(definition_file file) {
  if (file == definition_file::train) return kTrainSections;
  return kLineSections;
}

std::vector<const record_kind*> kinds_for_key(std::string_view key, definition_file file, bool general_section) {
  const std::string lower = to_lower_ansi(key);
  std::vector<const record_kind*> found;
  for (const record_kind& kind : kKinds) {
    if (kind.file != file) continue;
    if (file == definition_file::line && kind.general != general_section) continue;
    if (passes(kind, key, lower)) found.push_back(&kind);
  }
  return found;
}

}  // namespace scenario
