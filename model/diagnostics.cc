#include "model/diagnostics.h"

#include "model/file_names.h"

namespace scenario {
namespace {

struct fault_text {
  int32_t code;
  bool has_position;
  const char* words;
};

constexpr fault_text kFaults[] = {
    {1, false, "lunghezza del percorso fuori dai limiti (da 0 a 1000000 m)"},
    {2, false, "progressiva chilometrica con posizione o valore non multiplo di 50 m"},
    {3, false, "inizio della ripetizione segnali non multiplo di 50 m"},
    {4, false, "fine della ripetizione segnali non multipla di 50 m"},
    {5, false, "la ripetizione segnali non indica ne' 4 ne' 9 codici"},
    {6, true, "cartello indicatore su una cella gia' occupata"},
    {7, true, "abbattimento su una cella gia' occupata"},
    {8, true, "posizione della stazione non multipla di 50 m"},
    {9, true, "lunghezza della stazione non multipla di 100 m"},
    {10, false, "troppe stazioni, cartelli o gallerie per le tabelle dello scenario"},
    {11, true, "nessuna cella libera per il punto codice davanti al segnale prima di un avviso di rallentamento"},
    {12, true, "nessuna cella libera per il punto codice prima dell'inizio di un rallentamento"},
    {13, true, "nessuna cella libera per il punto codice in un rallentamento o davanti al primo segnale dopo"},
    {15, true, "posizione fuori dal percorso"},
    {16, true, "segnale su una cella gia' occupata"},
    {17, true, "avviso di rallentamento su una cella gia' occupata"},
    {18, true, "inizio del rallentamento su una cella gia' occupata"},
    {19, true, "fine del rallentamento su una cella gia' occupata"},
    {20, true, "cella di preavviso prima dell'avviso di rallentamento gia' occupata"},
    {21, true, "indicatore di velocita' massima su una cella gia' occupata"},
    {22, true, "stazione a meno di 350 m dalla fine della stazione precedente"},
    {24, false, "stazione la cui cella di fermata cadrebbe nella cella 1 o prima"},
    {25, false, "lettura non riuscita"},
    {101, false, "manca la definizione della linea"},
    {102, false, "manca la sezione [generale] nella definizione della linea"},
    {103, false, "curva senza cifra da 1 a 6, o tracciato oltre la sua fine o oltre 1000000 punti"},
    {1250, false, "campo riservato del marchio di formato gia' occupato: un oggetto nei primi 75 m scrive nella cella 1"},
    {1251, false, "campo riservato del codice di controllo gia' occupato: un oggetto nei primi 75 m scrive nella cella 1"},
};

const fault_text* find_fault(int32_t code) {
  for (const fault_text& f : kFaults) {
    if (f.code == code) return &f;
  }
  return nullptr;
}

std::string location(const source_site& site, const std::string& route, const std::string& train) {
  if (site.file == definition_file::none) return "";
  std::string where = definition_name(site.file, route, train);
  if (site.line > 0) where += ":" + std::to_string(site.line);
  return where + ": ";
}

// The source line and a caret under the column, tabs kept so they align.
std::string excerpt(const source_site& site) {
  if (site.line <= 0 || site.text.empty()) return "";
  std::string caret;
  for (int32_t i = 1; i < site.column && static_cast<size_t>(i) <= site.text.size(); ++i) {
    caret += site.text[i - 1] == '\t' ? '\t' : ' ';
  }
  return site.text + "\n" + caret + "^\n";
}

}  // namespace

std::string fault_words(int32_t code) {
  const fault_text* f = find_fault(code);
  return f != nullptr ? f->words : "";
}

bool fault_has_position(int32_t code) {
  const fault_text* f = find_fault(code);
  return f != nullptr && f->has_position;
}

std::string warning_words(warning_kind kind) {
  switch (kind) {
    case warning_kind::unknown_field: return "campo che non corrisponde a nessuna chiave, ignorato";
    case warning_kind::ambiguous_key: return "chiave che corrisponde a piu' tipi di record: ognuno legge i suoi campi";
    case warning_kind::not_ascending: return "record non in ordine crescente di posizione";
    case warning_kind::comment_with_comma: return "commento con una virgola: cio' che la segue e' letto come chiave";
    case warning_kind::curve_overlap: return "curva che inizia prima della fine della precedente";
    case warning_kind::times_backwards: return "orario della stazione anteriore a quello di una stazione precedente";
    case warning_kind::after_end: return "record dopo la sezione finale [fine], letto comunque";
  }
  return "";
}

std::string definition_name(definition_file file, const std::string& route, const std::string& train) {
  switch (file) {
    case definition_file::line: return line_definition_name(route);
    case definition_file::train: return train_definition_name(route, train);
    case definition_file::none: break;
  }
  return "";
}

std::string fault_headline(const fault_state& fault, int32_t code, const std::string& route,
                           const std::string& train) {
  std::string line = location(fault.site, route, train) + "errore " + std::to_string(code);
  const std::string words = fault_words(code);
  if (!words.empty()) line += ": " + words;
  if (!fault.detail.empty()) line += ": " + fault.detail;
  if (fault_has_position(code)) line += " (" + std::to_string(fault.error_position) + " m)";
  return line;
}

std::string format_fault(const fault_state& fault, int32_t code, const std::string& route, const std::string& train) {
  return fault_headline(fault, code, route, train) + "\n" + excerpt(fault.site);
}

std::string format_warning(const load_warning& warning, const std::string& route, const std::string& train) {
  std::string line = location(warning.site, route, train) + "avviso: " + warning_words(warning.kind);
  if (!warning.subject.empty()) line += " (\"" + warning.subject + "\")";
  return line + "\n" + excerpt(warning.site);
}

}  // namespace scenario
