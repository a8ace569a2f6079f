// The reference of every record kind and field, in Italian, written from
// the table of record kinds: docs/CAMPI.txt is this text, and
// `scenario help campi` prints it.
#include <algorithm>
#include <string>
#include <string_view>

#include "model/record_fields.h"

namespace scenario {
namespace {

constexpr size_t kWidth = 78;

// `text` broken into lines of at most kWidth columns (a longer word stands
// alone), the first line after `first`, the others after `indent` blanks.
std::string wrapped(std::string_view first, std::string_view text, size_t indent) {
  std::string out(first);
  size_t column = out.size();
  bool line_empty = true;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const std::string_view word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    if (!line_empty && column + 1 + word.size() > kWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      line_empty = true;
    }
    if (!line_empty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    line_empty = false;
  }
  return out + "\n";
}

const char* unit_words(field_unit unit) {
  switch (unit) {
    case field_unit::position:
      return "metri dall'inizio del percorso";
    case field_unit::length:
      return "metri";
    case field_unit::kilometre_value:
      return "metri di chilometrica";
    case field_unit::speed:
      return "km/h";
    case field_unit::gradient:
      return "per mille";
    case field_unit::hour:
      return "ore";
    case field_unit::minute:
      return "minuti";
    case field_unit::second:
      return "secondi";
    case field_unit::number:
      return "numero intero";
    case field_unit::text:
      return "testo";
  }
  return "";
}

std::string key_rule(const record_kind& kind) {
  std::string rule = "la chiave deve contenere \"" + std::string(kind.tests[0]) + "\"";
  if (kind.tests[1] != nullptr) rule += " e \"" + std::string(kind.tests[1]) + "\"";
  rule += kind.exact_case ? ", scritte proprio cosi' (maiuscole e minuscole contano)"
                          : " (maiuscole o minuscole, non importa)";
  // A curve's key carries its side and radius.
  if (std::string_view(kind.key) == "curva") return rule + "; la si scrive per esempio \"curvas5\" o \"curvad4\".";
  return rule + "; la si scrive \"" + kind.key + "\".";
}

void add_kind(std::string& out, const record_kind& kind) {
  std::string skeleton = kind.key;
  for (const record_field& f : kind.fields) skeleton += ", " + std::string(f.name);
  out += "\n" + wrapped("", skeleton, 4);
  std::string what = kind.meaning;
  what[0] = static_cast<char>(what[0] - 'a' + 'A');
  out += wrapped("  ", what + ".", 2);
  out += wrapped("  ", "Sezione " + std::string(kind.section) + "; " + key_rule(kind), 2);
  size_t number = 1;
  for (const record_field& f : kind.fields) {
    const std::string head = "  " + std::to_string(number++) + ". " + f.name + " (" + unit_words(f.unit) + "): ";
    out += wrapped(head, f.meaning, 6);
  }
}

void add_file(std::string& out, definition_file file, const char* title, bool general) {
  out += "\n\n" + std::string(title) + "\n" + std::string(std::string_view(title).size(), '=') + "\n";
  for (const record_kind& kind : record_kinds()) {
    if (kind.file == file && kind.general == general) add_kind(out, kind);
  }
}

constexpr char kIntroduction[] =
    "I record delle definizioni e i loro campi\n"
    "==========================================\n"
    "\n"
    "Uno scenario si scrive in due file di testo: la definizione della linea,\n"
    "NOME_linea.txt, e quella del treno, NOME_NUMERO-.txt. I file vanno salvati\n"
    "come testo ANSI (Windows-1252): nel Blocco note, \"Salva con nome\" e\n"
    "Codifica \"ANSI\", perche' il Blocco note salva in UTF-8 se non glielo si\n"
    "dice.\n"
    "\n"
    "Ogni riga e' un record: prima la chiave, poi i campi nell'ordine dato qui\n"
    "sotto, separati da virgole (i numeri anche solo da spazi). I numeri sono\n"
    "interi, in cifre, con il segno meno se negativi; un campo vuoto tra due\n"
    "virgole vale 0. Il record si riconosce dalla chiave, che deve contenere le\n"
    "parole indicate. Una riga che comincia con \"-\" e non ha virgole e' un\n"
    "commento. Ogni file comincia con [generale] e finisce con [fine]; i titoli\n"
    "delle sezioni tra parentesi quadre aiutano chi legge. Nella definizione\n"
    "della linea i record di [generale] vanno in quella sezione e gli altri dopo\n"
    "di essa; in quella del treno ogni record puo' stare in qualsiasi sezione.\n"
    "Pendenze, curve, velocita', aderenze e stazioni vanno in ordine di\n"
    "posizione.\n"
    "\n"
    "Posizioni e lunghezze sono in metri dall'inizio del percorso; il percorso\n"
    "e' diviso in celle di 50 m, e ogni oggetto occupa la cella della sua\n"
    "posizione. Questo testo e' quello che stampa \"scenario help campi\".\n";

}  // namespace

std::string field_reference() {
  std::string out = kIntroduction;
  add_file(out, definition_file::line, "Definizione della linea (NOME_linea.txt), sezione [generale]", true);
  add_file(out, definition_file::line, "Definizione della linea (NOME_linea.txt), dopo [generale]", false);
  add_file(out, definition_file::train, "Definizione del treno (NOME_NUMERO-.txt)", false);
  return out;
}

}  // namespace scenario
