#include "model/record_fields.h"

#include "model/ansi_text.h"

namespace scenario {
namespace {

using enum field_unit;
constexpr auto kLine = definition_file::line;
constexpr auto kTrain = definition_file::train;

// ---- line definition, general section ----

constexpr record_field kRouteLength[] = {
    {"lunghezza", "lunghezza del percorso in metri (al massimo 1000000); celle e tracciato proseguono 7000 m oltre la fine", position,
     cell_rule::route_length},
};
constexpr record_field kProgression[] = {
    {"posizione", "punto del percorso da cui vale questa chilometrica (multiplo di 50 m)", position},
    {"valore", "chilometrica della linea in quel punto, in metri (multiplo di 50 m): 73350 e' il km 73,350", kilometre_value},
    {"segnalino", "1: alla chilometrica si aggiungono 100 m; 0: resta com'e'", number},
};
constexpr record_field kBackground[] = {
    {"valore", "valore di sfondo per il simulatore, copiato cosi' com'e' nel file .sim", number},
};
constexpr record_field kRepetition[] = {
    {"inizio", "punto in cui comincia la ripetizione dei segnali in macchina (multiplo di 50 m)", position},
    {"fine", "punto in cui finisce la ripetizione (multiplo di 50 m); 0: nessuna ripetizione", position},
};

// ---- line definition, records ----

constexpr record_field kGradient[] = {
    {"posizione", "punto da cui vale la pendenza, fino al record pendenza seguente", position, cell_rule::from_cell},
    {"pendenza", "pendenza in per mille, positiva in salita e negativa in discesa (da -100 a 155); prima del primo record e' 0", gradient},
};
constexpr record_field kCurve[] = {
    {"inizio", "punto del tracciato in cui la curva comincia", position},
    {"lunghezza", "lunghezza della curva in metri; fino alla curva seguente il binario e' dritto", length},
};
constexpr record_field kTunnel[] = {
    {"inizio", "punto in cui comincia la galleria", position, cell_rule::tunnel_start},
    {"fine", "punto in cui finisce la galleria", position, cell_rule::tunnel_end},
    {"tipo", "tipo di galleria per il simulatore; sopra 10 (per esempio 11 o 12) la galleria ha un marcatore ogni 200 m e il tipo e' quello meno 10; una galleria che comincia 150 m o meno dopo la fine della precedente prende il tipo 3", number},
};
constexpr record_field kSpeedBoard[] = {
    {"posizione", "posizione del cartello", position, cell_rule::point},
    {"vas", "velocita' del primo cartello per i treni di rango A, in km/h", speed},
    {"vbs", "velocita' del primo cartello per i treni di rango B, in km/h", speed},
    {"vcs", "velocita' del primo cartello per i treni di rango C, in km/h", speed},
    {"strisces", "numero di strisce del primo cartello", number},
    {"vad", "velocita' del secondo cartello per il rango A, in km/h (campo vuoto: nessuna)", speed},
    {"vbd", "velocita' del secondo cartello per il rango B, in km/h (campo vuoto: nessuna)", speed},
    {"vcd", "velocita' del secondo cartello per il rango C, in km/h (campo vuoto: nessuna)", speed},
    {"strisced", "numero di strisce del secondo cartello", number},
};
constexpr record_field kNameBoard[] = {
    {"posizione", "posizione del cartello", position, cell_rule::point},
    {"testo", "scritta del cartello: il nome della localita' e l'altitudine, per esempio (MADONNA)(261 m. )", text},
};

// ---- train definition ----

constexpr record_field kBrakedMass[] = {{"percentuale", "percentuale di massa frenata del treno, per esempio 120", number}};
constexpr record_field kCars[] = {{"vetture", "numero di vetture del treno", number}};
constexpr record_field kSpeed[] = {
    {"posizione", "punto da cui vale la velocita' massima del treno, fino al record velocita seguente", position, cell_rule::from_cell},
    {"velocita'", "velocita' massima del treno in km/h, salvata a passi di 5 km/h (da 0 a 1277)", speed},
};
constexpr record_field kAdhesion[] = {
    {"posizione", "punto da cui vale l'aderenza, fino al record aderenza seguente", position, cell_rule::from_cell},
    {"aderenza", "aderenza tra ruota e rotaia (da 0 a 255; l'esempio usa da 70 a 100)", number},
};
constexpr record_field kClock[] = {
    {"ore", "ora dell'orologio alla partenza", hour},
    {"minuti", "minuti dell'orologio alla partenza", minute},
    {"secondi", "secondi dell'orologio alla partenza", second},
};
constexpr record_field kSand[] = {{"sabbia", "scorta di sabbia del treno (l'esempio: 300)", number}};
constexpr record_field kSignal[] = {
    {"posizione", "posizione del segnale; preavvisi 100, 200, 300 e 400 m prima", position, cell_rule::point},
    {"sx", "aspetto della parte sinistra del segnale; con 2 il segnale usa il campo tempo", number},
    {"s1", "primo valore della parte sinistra (salvato come s1 x 10 + d1)", number},
    {"s2", "secondo valore della parte sinistra (salvato come s2 x 10 + d2)", number},
    {"s3", "terzo valore della parte sinistra (salvato come s3 x 10 + d3)", number},
    {"rapp", "rappresentazione del segnale (salvata come rapp x 10 + sx x 3 + dx)", number},
    {"dx", "aspetto della parte destra del segnale", number},
    {"d1", "primo valore della parte destra", number},
    {"d2", "secondo valore della parte destra", number},
    {"d3", "terzo valore della parte destra", number},
    {"tempo", "con sx 2: ritardo con cui il segnale si apre, annunciato nelle note; da 1 a 100 diventa 101, 0: nessun ritardo", number},
};
constexpr record_field kSlowdown[] = {
    {"x", "punto in cui comincia il rallentamento; il cartello di avviso sta 1200 m prima (solo se il rallentamento comincia oltre 1500 m)", position, cell_rule::point},
    {"v", "velocita' massima nel rallentamento, in km/h", speed},
    {"l", "lunghezza del rallentamento in metri", length},
    {"f_tt", "valore per il simulatore, salvato nelle celle di inizio e di fine", number},
    {"f_ta", "diverso da 0: quattro celle di preavviso prima del cartello di avviso; 0: nessuna", number},
    {"d_v", "diverso da 0: valore per il simulatore, salvato nelle celle di inizio, di fine e di avviso", number},
};
constexpr record_field kCodePoint[] = {
    {"posizione", "posizione del punto codice", position, cell_rule::code_point},
    {"valore", "codice dato al treno in quel punto (1 o piu', per esempio 180); 0 o meno: punto senza codice", number},
};
constexpr record_field kStation[] = {
    {"posizione", "posizione della stazione (multiplo di 50 m)", position, cell_rule::station},
    {"tipo", "tipo di stazione (da 0 a 255), che decide il tratto occupato: 5 e 6 dalla posizione meno la lunghezza a 150 m dopo la posizione, 7 e 8 la lunghezza prima e dopo la posizione, gli altri la lunghezza centrata sulla posizione; sotto 25 il treno vi si ferma (cella di fermata), da 25 in su no", number},
    {"lunghezza", "lunghezza della stazione (multiplo di 100 m)", length},
    {"S1", "impostazione S1 per il simulatore (da 0 a 255), copiata cosi' com'e'", number},
    {"S2", "impostazione S2 per il simulatore (da 0 a 255); vale 0 per una stazione lunga meno di 600 m e per la prima stazione", number},
    {"S3", "impostazione S3 per il simulatore (da 0 a 255); se non e' 0 il tratto della stazione si allunga di 50 m; vale 0 per i tipi da 5 a 8 e per la prima stazione", number},
    {"S4", "impostazione S4 per il simulatore (da -32768 a 32767), copiata cosi' com'e'", number},
    {"S5", "impostazione S5 per il simulatore (da -32768 a 32767), copiata cosi' com'e'", number},
    {"S6", "impostazione S6 per il simulatore (da 0 a 255), copiata cosi' com'e'", number},
    {"S7", "impostazione S7 per il simulatore (da -32768 a 32767), copiata cosi' com'e'", number},
    {"S8", "impostazione S8 per il simulatore (da -32768 a 32767), copiata cosi' com'e'", number},
    {"S9", "impostazione S9 per il simulatore (da -32768 a 32767), copiata cosi' com'e'", number},
    {"S10", "impostazione S10 per il simulatore (da 0 a 255), copiata cosi' com'e'", number},
    {"ore", "ora d'orario (0, 0, 0: stazione senza orario)", hour},
    {"minuti", "minuti d'orario", minute},
    {"secondi", "secondi d'orario", second},
    {"nome", "nome della stazione, fino alla fine della riga", text},
};

constexpr record_kind kKinds[] = {
    {record_id::route_length, "lunghezza percorso", {"percorso", "lunghezza"}, false, kLine, true, "[generale]", "lunghezza del percorso",
     kRouteLength},
    {record_id::progression_tre, "progressiva chilometrica tre", {"tre", "progressiva"}, true, kLine, true, "[generale]",
     "terza progressiva chilometrica", kProgression},
    {record_id::progression_due, "progressiva chilometrica due", {"due", "progressiva"}, true, kLine, true, "[generale]",
     "seconda progressiva chilometrica", kProgression},
    {record_id::progression_uno, "progressiva chilometrica uno", {"uno", "progressiva"}, true, kLine, true, "[generale]",
     "prima progressiva chilometrica", kProgression},
    {record_id::background_uno, "sfondo uno", {"sfondo", "uno"}, true, kLine, true, "[generale]", "primo valore di sfondo", kBackground},
    {record_id::background_due, "sfondo due", {"sfondo", "due"}, true, kLine, true, "[generale]", "secondo valore di sfondo", kBackground},
    {record_id::background_tre, "sfondo tre", {"sfondo", "tre"}, true, kLine, true, "[generale]", "terzo valore di sfondo", kBackground},
    {record_id::signal_repetition, "ripetizione segnali 4 codici", {"segnali", "ripetizione"}, true, kLine, true, "[generale]",
     "ripetizione dei segnali in macchina; la chiave dice 4 o 9 codici", kRepetition},
    {record_id::gradient, "pendenza", {"pendenza", nullptr}, false, kLine, false, "[pendenze]", "pendenza da un punto in poi", kGradient},
    {record_id::curve, "curva", {"curva", nullptr}, false, kLine, false, "[curve]",
     "curva: con una s nella chiave a sinistra, altrimenti a destra; la cifra da 1 a 6 nella chiave dice il raggio: 1 = 10000 m, 2 = 5000 m, 3 = 2500 m, 4 = 1000 m, 5 = 500 m, 6 = 333 m", kCurve},
    {record_id::tunnel, "montagna", {"montagna", nullptr}, false, kLine, false, "[montagne]", "galleria", kTunnel},
    {record_id::speed_board, "indicatori_vmax", {"indicatori_v", nullptr}, false, kLine, false, "[cartelli]",
     "cartello indicatore di velocita' massima", kSpeedBoard},
    {record_id::name_board, "cartello_indicatore", {"indicat", "cartello"}, false, kLine, false, "[indicazioni]",
     "cartello con il nome di una localita'", kNameBoard},
    {record_id::braked_mass, "percentuale massa frenata", {"frenata", "massa"}, false, kTrain, false, "[generale]",
     "percentuale di massa frenata", kBrakedMass},
    {record_id::cars, "numero vetture", {"vetture", nullptr}, false, kTrain, false, "[generale]", "numero di vetture", kCars},
    {record_id::speed, "velocita", {"velocit", nullptr}, false, kTrain, false, "[vel_limite]", "velocita' massima del treno", kSpeed},
    {record_id::adhesion, "aderenza", {"aderenza", nullptr}, false, kTrain, false, "[aderenze]", "aderenza da un punto in poi",
     kAdhesion},
    {record_id::clock, "orologio", {"orologio", nullptr}, false, kTrain, false, "[generale]", "orologio alla partenza", kClock},
    {record_id::sand, "sabbia", {"sabbia", nullptr}, false, kTrain, false, "[generale]", "scorta di sabbia", kSand},
    {record_id::signal, "segnale", {"segnale", nullptr}, false, kTrain, false, "[segnali]", "segnale", kSignal},
    {record_id::slowdown, "rallentamento", {"rallentamento", nullptr}, false, kTrain, false, "[rallentamenti]",
     "rallentamento temporaneo", kSlowdown},
    {record_id::code_point, "abbattimento", {"abbattimento", nullptr}, false, kTrain, false, "[codici]", "punto codice", kCodePoint},
    {record_id::station, "stazione", {"stazione", nullptr}, false, kTrain, false, "[stazioni]", "stazione con il suo orario",
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
