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
#include "tool/json.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario dump FILE [--json] [--csv] [--every M]\n"
    "Mostra in chiaro un file compilato. Il tipo viene dal nome:\n"
    "  ..._linea.dat  tracciato: elementi per tipo (vuoto, intero, Double) in x e in y;\n"
    "                 con --every M anche i punti (metro, x, y) ogni M metri\n"
    "  ....sim        voci: stazioni, testi dei cartelli, progressive, impostazioni\n"
    "  altro .dat     celle da 50 m: una riga per ogni cella con almeno un campo\n"
    "                 diverso da zero, poi il conteggio per tipo\n"
    "--csv   una riga per metro (tracciato, con --every una ogni M metri) o per cella\n"
    "        (tutte le celle), con riga di intestazione\n"
    "--json  lo stesso contenuto come oggetto JSON\n"
    "Uscita: 0 fatto, 2 comando non valido, file mancante, troncato o non valido.\n";

enum class file_kind { cells, items, plan };

struct dump_options {
  bool json = false;
  bool csv = false;
  int32_t every = 0;  // metres between plan points shown; 0: none (CSV: every metre)
};

std::optional<file_kind> kind_of(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  const auto ends_with = [&](std::string_view tail) { return name.ends_with(tail); };
  if (ends_with("_linea.dat")) return file_kind::plan;
  if (ends_with(".sim")) return file_kind::items;
  if (ends_with(".dat")) return file_kind::cells;
  return std::nullopt;
}

// A Double as its shortest text that reads back the same.
std::string exact(double v) {
  std::array<char, 32> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  return std::string(buf.data(), r.ptr);
}

std::string json_number(double v) { return std::isfinite(v) ? exact(v) : "null"; }

// Seconds, or hours/minutes/seconds fields, as h:mm:ss.
std::string clock_text(int64_t h, int64_t m, int64_t s) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                static_cast<long long>(s));
  return buf;
}

std::string time_text(int32_t seconds) {
  const int64_t t = seconds;
  const int64_t a = t < 0 ? -t : t;
  return (t < 0 ? "-" : "") + clock_text(a / 3600, a / 60 % 60, a % 60);
}

// ---- route cells ----

std::string cell_kind_name(uint8_t kind) {
  switch (kind) {
    case kEmpty: return "vuota";
    case kSignal: return "segnale";
    case kSlowdownEnd: return "fine rallentamento";
    case kSlowdownStart: return "inizio rallentamento";
    case kWarningBoard: return "avviso di rallentamento";
    case kWarningApproach: return "preavviso";
    case kSpeedBoard: return "indicatore di velocita' massima";
    case kStopCell: return "fermata";
    case kTunnelMarker: return "marcatore di galleria";
    case kCodePoint: return "punto codice";
    case kCodeCut: return "taglio codice";
    case kIndicatorBoard: return "cartello indicatore";
    default: return "tipo " + std::to_string(kind);
  }
}

// What info1 to info4 mean for a kind; null where the kind gives no meaning.
// Cell 1 carries the format mark and the check code og in info1 and info2.
std::array<const char*, 4> info_names(uint8_t kind, size_t cell) {
  std::array<const char*, 4> names{};
  switch (kind) {
    case kSignal: names = {"s1d1", "s2d2", "s3d3", "rapp_aspetto"}; break;
    case kSlowdownEnd:
    case kSlowdownStart: names = {"velocita'", "d_v", "f_tt", nullptr}; break;
    case kWarningBoard: names = {"velocita'", "d_v", nullptr, nullptr}; break;
    case kWarningApproach: names = {"numero", "numero_dv", nullptr, nullptr}; break;
    case kSpeedBoard: names = {"rango_a", "rango_b", "rango_c", "strisce"}; break;
    case kStopCell: names = {"stazione", nullptr, nullptr, nullptr}; break;
    case kCodePoint: names = {"codice", nullptr, nullptr, nullptr}; break;
    case kIndicatorBoard: names = {"voce_testo", nullptr, nullptr, nullptr}; break;
    default: break;
  }
  if (cell == 1) {
    names[0] = "marchio";
    names[1] = "codice_og";
  }
  return names;
}

bool is_blank(const route_cell& c) {
  return c.kind == 0 && c.info1 == 0 && c.info2 == 0 && c.info3 == 0 && c.info4 == 0 && c.signal_time == 0 &&
         c.approach_mark == 0 && c.tunnel_kind == 0 && c.speed_limit == 0 && c.gradient == 0 && c.adhesion == 0;
}

std::string cell_line(const route_cell& c, size_t index) {
  char columns[48];
  std::snprintf(columns, sizeof columns, "%5zu  %7zu m  ", index, index * 50);
  std::ostringstream line;
  line << columns << cell_kind_name(c.kind);
  const std::array<int16_t, 4> info = {c.info1, c.info2, c.info3, c.info4};
  const std::array<const char*, 4> names = info_names(c.kind, index);
  for (size_t i = 0; i < info.size(); ++i) {
    if (names[i] != nullptr) {
      line << " " << names[i] << "=" << info[i];
    } else if (info[i] != 0) {
      line << " info" << i + 1 << "=" << info[i];
    }
  }
  if (c.kind == kSignal || c.signal_time != 0) line << " tempo=" << int{c.signal_time};
  line << " |";
  if (c.approach_mark != 0) line << " marca=" << int{c.approach_mark};
  if (c.tunnel_kind != 0) line << " galleria=" << int{c.tunnel_kind};
  const int gradient = c.gradient - 100;
  line << " velocita'=" << c.speed_limit * 5 << "km/h pendenza=" << (gradient > 0 ? "+" : "") << gradient
       << " aderenza=" << int{c.adhesion};
  return line.str();
}

std::map<uint8_t, int> count_kinds(const std::vector<route_cell>& cells) {
  std::map<uint8_t, int> counts;
  for (const route_cell& c : cells) ++counts[c.kind];
  return counts;
}

void cells_text(const std::string& path, const std::vector<route_cell>& cells, std::ostream& out) {
  out << "celle di " << path << ": " << cells.size() << " da 50 m (0-" << cells.size() - 1
      << "); una riga per cella non vuota\n"
      << "cella  posizione  tipo e campi | marca, galleria, velocita', pendenza, aderenza\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!is_blank(cells[i])) out << cell_line(cells[i], i) << "\n";
  }
  out << "totale " << cells.size() << " celle:";
  const char* sep = " ";
  for (const auto& [kind, count] : count_kinds(cells)) {
    out << sep << cell_kind_name(kind) << " " << count;
    sep = ", ";
  }
  out << "\n";
}

void cells_csv(const std::vector<route_cell>& cells, std::ostream& out) {
  out << "cell,position,kind,info1,info2,info3,info4,signal_time,approach_mark,tunnel_kind,speed_limit,gradient,"
         "adhesion\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    const route_cell& c = cells[i];
    out << i << "," << i * 50 << "," << int{c.kind} << "," << c.info1 << "," << c.info2 << "," << c.info3 << ","
        << c.info4 << "," << int{c.signal_time} << "," << int{c.approach_mark} << "," << int{c.tunnel_kind} << ","
        << int{c.speed_limit} << "," << int{c.gradient} << "," << int{c.adhesion} << "\n";
  }
}

void cells_json(const std::string& path, const std::vector<route_cell>& cells, std::ostream& out) {
  out << "{\"file\": " << json_string(path) << ", \"type\": \"route_cells\", \"cell_count\": " << cells.size()
      << ", \"cells\": [";
  const char* sep = "";
  for (size_t i = 0; i < cells.size(); ++i) {
    const route_cell& c = cells[i];
    if (is_blank(c)) continue;
    out << sep << "{\"cell\": " << i << ", \"position\": " << i * 50 << ", \"kind\": " << int{c.kind}
        << ", \"kind_name\": " << json_string(cell_kind_name(c.kind)) << ", \"info1\": " << c.info1
        << ", \"info2\": " << c.info2 << ", \"info3\": " << c.info3 << ", \"info4\": " << c.info4
        << ", \"signal_time\": " << int{c.signal_time} << ", \"approach_mark\": " << int{c.approach_mark}
        << ", \"tunnel_kind\": " << int{c.tunnel_kind} << ", \"speed_limit\": " << int{c.speed_limit}
        << ", \"gradient\": " << int{c.gradient} << ", \"adhesion\": " << int{c.adhesion} << "}";
    sep = ", ";
  }
  out << "], \"counts\": {";
  sep = "";
  for (const auto& [kind, count] : count_kinds(cells)) {
    out << sep << json_string(cell_kind_name(kind)) << ": " << count;
    sep = ", ";
  }
  out << "}}\n";
}

// ---- item table ----

// One value shown for an entry: a JSON key, an Italian label, and either a
// number or a text (ANSI bytes).
struct shown {
  const char* key;
  const char* label;
  int64_t number = 0;
  std::optional<std::string> text;
};

struct entry_view {
  int index;
  const char* role;  // Italian, also the JSON "role"
  std::vector<shown> values;
};

shown num(const char* key, const char* label, int64_t v) { return shown{key, label, v, std::nullopt}; }
shown txt(const char* key, const char* label, std::string v) { return shown{key, label, 0, std::move(v)}; }

bool numbers_zero(const item_entry& e) {
  return e.kind == 0 && e.start == 0 && e.end == 0 && e.position == 0 && e.flag1 == 0 && e.num1 == 0 &&
         e.num2 == 0 && e.num3 == 0 && e.num4 == 0 && e.num5 == 0 && e.byte1 == 0 && e.byte2 == 0 && e.byte3 == 0 &&
         e.byte4 == 0 && e.time_s == 0;
}

// Every field as the file lays it out, for entries of no fixed meaning and
// for the fields an entry's meaning leaves unused.
std::vector<shown> raw_fields(const item_entry& e) {
  return {num("kind", "kind", e.kind),       num("start", "start", e.start), num("end", "end", e.end),
          num("position", "position", e.position), num("flag1", "flag1", e.flag1), num("num1", "num1", e.num1),
          num("num2", "num2", e.num2),       num("num3", "num3", e.num3),    num("num4", "num4", e.num4),
          num("num5", "num5", e.num5),       num("byte1", "byte1", e.byte1), num("byte2", "byte2", e.byte2),
          num("byte3", "byte3", e.byte3),    num("byte4", "byte4", e.byte4), num("time_s", "time_s", e.time_s)};
}

// Non-zero fields outside `used`, so nothing unexpected is hidden.
void add_others(const item_entry& e, std::initializer_list<std::string_view> used, std::vector<shown>* values) {
  for (const shown& f : raw_fields(e)) {
    if (f.number != 0 && std::find(used.begin(), used.end(), f.key) == used.end()) values->push_back(f);
  }
}

entry_view station_view(int i, const item_entry& e) {
  entry_view v{i, "stazione", {txt("name", "nome", e.text), num("kind", "tipo", e.kind),
                               num("position", "posizione", e.position), num("start", "inizio tratto", e.start),
                               num("end", "fine tratto", e.end), txt("time", "orario", time_text(e.time_s))}};
  const std::pair<const char*, int64_t> settings[] = {{"S1", e.flag1}, {"S2", e.byte4}, {"S3", e.byte3},
                                                      {"S4", e.num1},  {"S5", e.num2},  {"S6", e.byte1},
                                                      {"S7", e.num3},  {"S8", e.num4},  {"S9", e.num5},
                                                      {"S10", e.byte2}};
  for (const auto& [name, value] : settings) v.values.push_back(num(name, name, value));
  return v;
}

entry_view item_view(int i, const item_entry& e) {
  if (i >= 1 && i <= kFirstBoardItem) {
    // A board entry holds nothing but its text; a station holds numbers too.
    if (numbers_zero(e)) return {i, "cartello", {txt("text", "testo", e.text)}};
    return station_view(i, e);
  }
  entry_view v{i, "voce", {}};
  switch (i) {
    case kProgressionTre:
    case kProgressionDue:
    case kProgressionUno:
      v = {i, "progressiva", {num("start", "dal metro", e.start), num("value", "valore", e.end),
                              num("flag", "indicatore", e.position)}};
      add_others(e, {"start", "end", "position"}, &v.values);
      break;
    case kTrainItem:
      v = {i, "treno", {num("braked_mass", "percentuale massa frenata", e.start), num("route_length", "lunghezza percorso", e.end),
                        num("cars", "vetture", e.position)}};
      add_others(e, {"start", "end", "position"}, &v.values);
      break;
    case kRouteItem:
      v = {i, "percorso", {txt("route", "percorso", e.text), num("background_uno", "sfondo uno", e.start),
                           num("background_due", "sfondo due", e.position), num("background_tre", "sfondo tre", e.end),
                           num("format_mark", "marchio", e.num1), num("check_code_st", "codice st", e.time_s)}};
      add_others(e, {"start", "end", "position", "num1", "time_s"}, &v.values);
      break;
    case kRepeatItem:
      v = {i, "treno e ripetizione", {txt("train", "treno", e.text), num("repetition_start", "ripetizione dal metro", e.start),
                                      num("repetition_end", "ripetizione al metro", e.end),
                                      num("codes", "codici", e.position), num("sand", "sabbia", e.num1),
                                      txt("clock", "orologio", clock_text(e.num3, e.num4, e.num5))}};
      add_others(e, {"start", "end", "position", "num1", "num3", "num4", "num5"}, &v.values);
      break;
    default:
      v.values = {txt("text", "testo", e.text)};
      add_others(e, {}, &v.values);
      break;
  }
  return v;
}

std::vector<entry_view> item_views(const std::array<item_entry, kItemCount>& items) {
  std::vector<entry_view> views;
  for (int i = 0; i < kItemCount; ++i) {
    const item_entry& e = items[static_cast<size_t>(i)];
    if (!numbers_zero(e) || !e.text.empty()) views.push_back(item_view(i, e));
  }
  return views;
}

void items_text(const std::string& path, const std::array<item_entry, kItemCount>& items, std::ostream& out) {
  out << "voci di " << path << ": " << kItemCount << " (0-" << kItemCount - 1 << "); una riga per voce non vuota\n";
  for (const entry_view& v : item_views(items)) {
    out << "voce " << v.index << ", " << v.role << ":";
    const char* sep = " ";
    for (const shown& s : v.values) {
      out << sep << s.label << " " << (s.text ? ansi_to_utf8(*s.text) : std::to_string(s.number));
      sep = ", ";
    }
    out << "\n";
  }
}

void items_json(const std::string& path, const std::array<item_entry, kItemCount>& items, std::ostream& out) {
  out << "{\"file\": " << json_string(path) << ", \"type\": \"item_table\", \"entries\": [";
  const char* sep = "";
  for (const entry_view& v : item_views(items)) {
    out << sep << "{\"entry\": " << v.index << ", \"role\": " << json_string(v.role);
    for (const shown& s : v.values) {
      out << ", " << json_string(s.key) << ": " << (s.text ? json_string(*s.text) : std::to_string(s.number));
    }
    out << "}";
    sep = ", ";
  }
  out << "]}\n";
}

// ---- route plan ----

std::string value_text(const plan_value& v, bool for_people) {
  switch (v.type) {
    case plan_element::empty: return for_people ? "vuoto" : "";
    case plan_element::integer: return std::to_string(static_cast<int>(v.value));
    case plan_element::real: {
      if (!for_people) return exact(v.value);
      // To the thousandth, every digit: a Double read from a file can reach
      // 309 digits before the point.
      std::array<char, 320> buf{};
      const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v.value, std::chars_format::fixed, 3);
      return std::string(buf.data(), r.ptr);
    }
  }
  return "";
}

void plan_text(const std::string& path, const decoded_plan& plan, int32_t every, std::ostream& out) {
  out << "tracciato di " << path << ": " << plan.x.size() << " elementi per coordinata (metri 0-" << plan.x.size() - 1
      << ")\n";
  for (const auto& [name, run] : {std::pair{"x", &plan.x}, std::pair{"y", &plan.y}}) {
    const plan_element_counts n = count_elements(*run);
    out << name << ": " << n.integer << " interi, " << n.real << " Double, " << n.empty << " vuoti\n";
  }
  if (every <= 0) return;
  out << "metro  x  y\n";
  for (size_t m = 0; m < plan.x.size(); m += static_cast<size_t>(every)) {
    out << m << "  " << value_text(plan.x[m], true) << "  " << value_text(plan.y[m], true) << "\n";
  }
}

void plan_csv(const decoded_plan& plan, int32_t every, std::ostream& out) {
  out << "metre,x,y\n";
  for (size_t m = 0; m < plan.x.size(); m += static_cast<size_t>(std::max(every, 1))) {
    out << m << "," << value_text(plan.x[m], false) << "," << value_text(plan.y[m], false) << "\n";
  }
}

std::string json_value(const plan_value& v) {
  return v.type == plan_element::empty ? "null" : json_number(v.value);
}

void plan_json(const std::string& path, const decoded_plan& plan, int32_t every, std::ostream& out) {
  out << "{\"file\": " << json_string(path) << ", \"type\": \"route_plan\", \"elements_per_run\": " << plan.x.size();
  for (const auto& [name, run] : {std::pair{"x", &plan.x}, std::pair{"y", &plan.y}}) {
    const plan_element_counts n = count_elements(*run);
    out << ", \"" << name << "\": {\"empty\": " << n.empty << ", \"integer\": " << n.integer
        << ", \"double\": " << n.real << "}";
  }
  if (every > 0) {
    out << ", \"every\": " << every << ", \"points\": [";
    for (size_t m = 0; m < plan.x.size(); m += static_cast<size_t>(every)) {
      out << (m == 0 ? "" : ", ") << "[" << m << ", " << json_value(plan.x[m]) << ", " << json_value(plan.y[m]) << "]";
    }
    out << "]";
  }
  out << "}\n";
}

// ---- the command ----

// Decodes `bytes` whole, then writes them in the chosen form; false with
// `error` set, and nothing written, when the file does not follow its layout.
bool dump(file_kind kind, const std::string& path, std::string_view bytes, const dump_options& o, std::ostream& out,
          decode_error* error) {
  switch (kind) {
    case file_kind::cells: {
      std::vector<route_cell> cells;
      if (!decode_route_cells(bytes, &cells, error)) return false;
      if (o.json) {
        cells_json(path, cells, out);
      } else if (o.csv) {
        cells_csv(cells, out);
      } else {
        cells_text(path, cells, out);
      }
      return true;
    }
    case file_kind::items: {
      std::array<item_entry, kItemCount> items;
      if (!decode_item_table(bytes, &items, error)) return false;
      if (o.json) {
        items_json(path, items, out);
      } else {
        items_text(path, items, out);
      }
      return true;
    }
    case file_kind::plan: {
      decoded_plan plan;
      if (!decode_route_plan(bytes, &plan, error)) return false;
      if (o.json) {
        plan_json(path, plan, o.every, out);
      } else if (o.csv) {
        plan_csv(plan, o.every, out);
      } else {
        plan_text(path, plan, o.every, out);
      }
      return true;
    }
  }
  return false;
}

// The options that fit the file; a message for the user otherwise.
std::optional<dump_options> check_options(const arguments& args, file_kind kind, std::string* problem) {
  dump_options o;
  o.json = args.has("--json");
  o.csv = args.has("--csv");
  if (o.json && o.csv) {
    *problem = "--json e --csv non vanno insieme";
    return std::nullopt;
  }
  if (o.csv && kind == file_kind::items) {
    *problem = "--csv vale solo per le celle e per il tracciato";
    return std::nullopt;
  }
  if (const auto every = args.value("--every")) {
    const char* end = every->data() + every->size();
    const auto r = std::from_chars(every->data(), end, o.every);
    if (r.ec != std::errc{} || r.ptr != end || o.every <= 0) {
      *problem = "--every vuole un numero intero di metri maggiore di zero, non \"" + *every + "\"";
      return std::nullopt;
    }
    if (kind != file_kind::plan) {
      *problem = "--every vale solo per il tracciato (_linea.dat)";
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace

int run_dump(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto args = parse_arguments(words, {"--every"}, {"--json", "--csv", "--help"}, &problem);
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
  decode_error error;
  if (!dump(*kind, path, *bytes, *options, out, &error)) {
    err << "scenario dump: " << path << ": file troncato o non valido all'offset " << error.offset << ": "
        << error.message << "\n";
    return kExitUsage;
  }
  return kExitClean;
}

}  // namespace scenario::tool
