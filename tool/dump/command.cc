// scenario dump FILE [--json] [--csv] [--every M]
//
// Shows a compiled file in plain words. The kind of file comes from its
// name, as the compile names them: <route>_linea.dat is the route plan,
// .sim the item table, any other .dat the route cells.
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "model/binary_decode.h"
#include "tool/arguments.h"
#include "tool/commands.h"
#include "model/ansi_text.h"
#include "model/definition_files.h"
#include "tool/dump/views.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario dump FILE [--json | --csv] [--every M] [--da M] [--a M]\n"
    "Mostra in chiaro un file compilato. Il tipo viene dal nome:\n"
    "  ..._linea.dat  tracciato: elementi per tipo (vuoto, intero, Double) in x e in y;\n"
    "                 con --every M anche i punti (metro, x, y) ogni M metri\n"
    "  ....sim        voci: stazioni, testi dei cartelli, progressive, impostazioni\n"
    "  altro .dat     celle da 50 m: una riga per ogni cella con almeno un campo\n"
    "                 diverso da zero, poi il conteggio per tipo\n"
    "--csv   una riga per metro (tracciato, con --every una ogni M metri), per cella\n"
    "        (tutte le celle) o per valore di una voce, con riga di intestazione\n"
    "--json  lo stesso contenuto come oggetto JSON\n"
    "Accanto ai codici grezzi stanno i valori in chiaro (nomi dei tipi, km/h, per mille).\n"
    "--da M, --a M  solo le celle o i punti del tratto dal metro M al metro M:\n"
    "        cosa c'e' a un dato chilometro\n"
    "Uscita: 0 fatto, 2 comando non valido, file mancante, troncato o non valido.\n";

enum class file_kind { cells, items, plan };

std::optional<file_kind> kind_of(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  const auto ends_with = [&](std::string_view tail) { return name.ends_with(tail); };
  if (ends_with("_linea.dat")) return file_kind::plan;
  if (ends_with(".sim")) return file_kind::items;
  if (ends_with(".dat")) return file_kind::cells;
  return std::nullopt;
}

// Decodes `bytes` whole, then writes them in the chosen form. Throws
// decode_failure, with nothing written, when the file does not follow its
// layout.
void dump(file_kind kind, const std::string& path, std::string_view bytes, const dump_options& o, std::ostream& out) {
  switch (kind) {
    case file_kind::cells: dump_cells(path, decode_route_cells(bytes), o, out); return;
    case file_kind::items: dump_items(path, decode_item_table(bytes), o, out); return;
    case file_kind::plan: dump_plan(path, decode_route_plan(bytes), o, out); return;
  }
}

// A whole number of metres from an option; nullopt with `problem` set.
std::optional<int32_t> metres(const std::string& option, const std::string& text, int32_t lowest,
                              std::string* problem) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value);
  if (r.ec != std::errc{} || r.ptr != end || value < lowest) {
    *problem = option + " vuole un numero intero di metri" + (lowest > 0 ? " maggiore di zero" : " da 0 in su") +
               ", non \"" + text + "\"";
    return std::nullopt;
  }
  return value;
}

// The options that fit the file; a message for the user otherwise.
std::optional<dump_options> check_options(const arguments& args, file_kind kind, std::string* problem) {
  dump_options o;
  if (args.has("--json") && args.has("--csv")) {
    *problem = "--json e --csv non vanno insieme";
    return std::nullopt;
  }
  if (args.has("--json")) o.form = dump_form::json;
  if (args.has("--csv")) o.form = dump_form::csv;
  if (const auto every = args.value("--every")) {
    const auto m = metres("--every", *every, 1, problem);
    if (!m) return std::nullopt;
    if (kind != file_kind::plan) {
      *problem = "--every vale solo per il tracciato (_linea.dat)";
      return std::nullopt;
    }
    o.every = *m;
  }
  for (const char* name : {"--da", "--a"}) {
    if (const auto v = args.value(name)) {
      const auto m = metres(name, *v, 0, problem);
      if (!m) return std::nullopt;
      if (kind == file_kind::items) {
        *problem = std::string(name) + " vale solo per le celle e per il tracciato";
        return std::nullopt;
      }
      (std::string(name) == "--da" ? o.from : o.to) = *m;
    }
  }
  if (o.from && o.to && *o.from > *o.to) {
    *problem = "--da deve venire prima di --a";
    return std::nullopt;
  }
  return o;
}

}  // namespace

int run_dump(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto args = parse_arguments(words, {"--every", "--da", "--a"}, {"--json", "--csv", "--help"}, &problem);
  if (!args) {
    err << "scenario dump: " << problem << "\n" << kHelp;
    return kExitUsage;
  }
  if (args->has("--help")) {
    out << kHelp;
    return kExitClean;
  }
  if (args->positional.size() != 1) {
    err << "scenario dump: serve un solo FILE (vedi --help)\n";
    return kExitUsage;
  }
  const std::string& path = args->positional[0];
  const auto kind = kind_of(path);
  if (!kind) {
    err << "scenario dump: " << path << ": tipo di file sconosciuto (atteso .dat, .sim o _linea.dat)\n";
    return kExitUsage;
  }
  const auto options = check_options(*args, *kind, &problem);
  if (!options) {
    err << "scenario dump: " << problem << "\n";
    return kExitUsage;
  }
  const auto bytes = read_whole_file(path);
  if (!bytes) {
    err << "scenario dump: impossibile leggere " << path << "\n";
    return kExitUsage;
  }
  try {
    dump(*kind, path, *bytes, *options, out);
  } catch (const decode_failure& e) {
    err << "scenario dump: " << path << ": file troncato o non valido all'offset " << e.offset() << ": " << e.what()
        << "\n";
    return kExitUsage;
  }
  return kExitClean;
}

}  // namespace scenario::tool
