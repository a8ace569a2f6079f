#include "model/findings.h"

namespace scenario {
namespace {

struct fault_text {
  int32_t code;
  bool has_position;
  const char* words;
  const char* position_label = "";
};

constexpr fault_text kFaults[] = {
    {kRouteLengthFault, false, "lunghezza del percorso fuori dai limiti (da 0 a 1000000 m)"},
    {kProgressionFault, false, "progressiva chilometrica con posizione o valore non multiplo di 50 m"},
    {kRepeatStartFault, false, "inizio della ripetizione segnali non multiplo di 50 m"},
    {kRepeatEndFault, false, "fine della ripetizione segnali non multipla di 50 m"},
    {kRepeatCodesFault, false, "la ripetizione segnali non indica ne' 4 ne' 9 codici"},
    {kIndicatorTakenFault, true, "cartello indicatore su una cella gia' occupata"},
    {kCodePointTakenFault, true, "abbattimento su una cella gia' occupata"},
    {kStationPositionFault, true, "posizione della stazione non multipla di 50 m"},
    {kStationLengthFault, true, "lunghezza della stazione non multipla di 100 m", "stazione a"},
    {kTableFullFault, false, "troppe stazioni, cartelli o gallerie per le tabelle dello scenario"},
    {kSignalCodeFault, true, "nessuna cella libera per il punto codice davanti al segnale prima di un avviso di rallentamento"},
    {kBeforeStartCodeFault, true, "nessuna cella libera per il punto codice prima dell'inizio di un rallentamento"},
    {kInsideCodeFault, true, "nessuna cella libera per il punto codice in un rallentamento o davanti al primo segnale dopo"},
    {kOutsideRouteFault, true, "posizione fuori dal percorso"},
    {kSignalTakenFault, true, "segnale su una cella gia' occupata"},
    {kWarningTakenFault, true, "avviso di rallentamento su una cella gia' occupata"},
    {kStartTakenFault, true, "inizio del rallentamento su una cella gia' occupata"},
    {kEndTakenFault, true, "fine del rallentamento su una cella gia' occupata"},
    {kApproachTakenFault, true, "cella di preavviso prima dell'avviso di rallentamento gia' occupata"},
    {kSpeedBoardTakenFault, true, "indicatore di velocita' massima su una cella gia' occupata"},
    {kStationGapFault, true, "stazione a meno di 350 m dalla fine della stazione precedente", "stazione a"},
    {kStopCellFault, false, "stazione la cui cella di fermata cadrebbe nella cella 1 o prima"},
    {kReadFault, false, "lettura non riuscita"},
    {kNoLineDefinitionFault, false, "manca la definizione della linea"},
    {kNoGeneralSectionFault, false, "manca la sezione [generale] nella definizione della linea"},
    {kPlanFault, false, "tracciato non calcolabile"},
    {kFormatMarkFault, false,
     "campo riservato del marchio di formato gia' occupato: un oggetto nei primi 75 m scrive nella cella 1"},
    {kCheckCodeFault, false,
     "campo riservato del codice di controllo gia' occupato: un oggetto nei primi 75 m scrive nella cella 1"},
};

const fault_text* find_fault(int32_t code) {
  for (const fault_text& f : kFaults) {
    if (f.code == code) return &f;
  }
  return nullptr;
}

}  // namespace

const char* fault_words(int32_t code) {
  const fault_text* f = find_fault(code);
  return f != nullptr ? f->words : "";
}

bool fault_has_position(int32_t code) {
  const fault_text* f = find_fault(code);
  return f != nullptr && f->has_position;
}

const char* fault_position_label(int32_t code) {
  const fault_text* f = find_fault(code);
  return f != nullptr ? f->position_label : "";
}

const char* warning_kind_name(warning_kind kind) {
  switch (kind) {
    case warning_kind::unknown_field: return "unknown_field";
    case warning_kind::ambiguous_key: return "ambiguous_key";
    case warning_kind::not_ascending: return "not_ascending";
    case warning_kind::comment_with_comma: return "comment_with_comma";
    case warning_kind::curve_overlap: return "curve_overlap";
    case warning_kind::times_backwards: return "times_backwards";
    case warning_kind::after_end: return "after_end";
    case warning_kind::short_record: return "short_record";
    case warning_kind::unknown_section: return "unknown_section";
    case warning_kind::beyond_route_end: return "beyond_route_end";
    case warning_kind::time_out_of_range: return "time_out_of_range";
    case warning_kind::no_station: return "no_station";
    case warning_kind::no_speed_limit: return "no_speed_limit";
    case warning_kind::not_ansi_text: return "not_ansi_text";
    case warning_kind::zero_length: return "zero_length";
    case warning_kind::zero_speed: return "zero_speed";
    case warning_kind::marks_left_out: return "marks_left_out";
    case warning_kind::tunnel_overlap: return "tunnel_overlap";
    case warning_kind::route_length_again: return "route_length_again";
    case warning_kind::unknown_tunnel_type: return "unknown_tunnel_type";
    case warning_kind::low_bits_only: return "low_bits_only";
    case warning_kind::record_as_comment: return "record_as_comment";
    case warning_kind::timetable_impossible: return "timetable_impossible";
    case warning_kind::timetable_tight: return "timetable_tight";
    case warning_kind::curve_too_fast: return "curve_too_fast";
    case warning_kind::warning_board_too_near: return "warning_board_too_near";
  }
  return "";
}

const char* warning_words(warning_kind kind) {
  switch (kind) {
    case warning_kind::unknown_field: return "campo che non corrisponde a nessuna chiave, ignorato";
    case warning_kind::ambiguous_key: return "chiave che corrisponde a piu' tipi di record: ognuno legge i suoi campi";
    case warning_kind::not_ascending: return "record non in ordine crescente di posizione";
    case warning_kind::comment_with_comma: return "commento con una virgola: cio' che la segue e' letto come chiave";
    case warning_kind::curve_overlap: return "curva che inizia prima della fine della precedente";
    case warning_kind::times_backwards: return "orario della stazione fuori ordine rispetto alle stazioni vicine";
    case warning_kind::after_end: return "record dopo la sezione finale [fine], letto comunque";
    case warning_kind::short_record: return "il record ha meno campi del previsto";
    case warning_kind::unknown_section: return "sezione sconosciuta, i suoi record sono letti comunque";
    case warning_kind::beyond_route_end: return "posizione oltre la fine del percorso";
    case warning_kind::time_out_of_range: return "orario non valido";
    case warning_kind::no_station: return "la definizione del treno non ha nessuna stazione";
    case warning_kind::no_speed_limit: return "la definizione del treno non ha nessun limite di velocita'";
    case warning_kind::not_ansi_text: return "il file non e' in Windows-1252 (ANSI)";
    case warning_kind::zero_length: return "tratto di lunghezza nulla";
    case warning_kind::zero_speed: return "velocita' 0 km/h";
    case warning_kind::marks_left_out: return "segnale prima di 325 m: i preavvisi prima dell'inizio del percorso sono tralasciati";
    case warning_kind::tunnel_overlap: return "galleria sovrapposta a una precedente";
    case warning_kind::route_length_again: return "lunghezza del percorso scritta due volte: vale l'ultima";
    case warning_kind::unknown_tunnel_type: return "tipo di galleria che il formato non prevede";
    case warning_kind::low_bits_only: return "valore oltre 65535: se ne salvano solo i 16 bit bassi";
    case warning_kind::record_as_comment: return "record letto come commento perche' contiene un \"-\"";
    case warning_kind::timetable_impossible: return "orario non rispettabile";
    case warning_kind::timetable_tight: return "orario con poco margine";
    case warning_kind::curve_too_fast: return "curva troppo stretta per la velocita' ammessa";
    case warning_kind::warning_board_too_near: return "cartello di avviso troppo vicino al rallentamento";
  }
  return "";
}

}  // namespace scenario
