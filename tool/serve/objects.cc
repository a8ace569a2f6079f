#include "tool/serve/objects.h"

#include <cstdio>
#include <string>

#include "model/ansi_text.h"
#include "model/compiled_fields.h"
#include "model/file_names.h"
#include "model/nearest.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

std::string metres(int64_t m) { return std::to_string(m) + " m"; }
std::string n(int64_t v) { return std::to_string(v); }

std::string cells(int64_t first, int64_t last) {
  return first == last ? n(first) : n(first) + "-" + n(last);
}

std::string two_digits(int64_t v) { return (v >= 0 && v < 10 ? "0" : "") + n(v); }

const route_cell* cell_at(const scenario_model& m, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(m.route_cells.size())) return nullptr;
  return &m.route_cells[static_cast<size_t>(index)];
}

// What a placed cell holds, read back from the compiled model, in the
// names its kind gives its fields.
std::string cell_values(const scenario_model& m, int64_t index) {
  const route_cell* c = cell_at(m, index);
  if (c == nullptr) return "fuori dalle celle";
  const auto fields = info_fields(c->kind, static_cast<size_t>(index));
  const int16_t values[] = {c->info1, c->info2, c->info3, c->info4};
  std::string words = cell_kind_name(c->kind);
  for (size_t i = 0; i < 4; ++i) {
    if (fields[i] != nullptr) words += ", " + std::string(fields[i]->label) + " " + n(values[i]);
  }
  return words;
}

struct object {
  json j;
  object(const char* tipo, std::string nome, int64_t from, int64_t to, std::string cella) {
    j = {{"tipo", tipo}, {"nome", std::move(nome)}, {"inizio", from}, {"fine", to},
         {"km", from == to ? km_words(from) : km_words(from) + " - " + km_words(to)},
         {"cella", std::move(cella)}, {"campi", json::array()}};
  }
  object& field(const std::string& name, const std::string& words) {
    j["campi"].push_back(json::array({name, words}));
    return *this;
  }
};

std::string side_words(int64_t v, const char* zero, const char* positive, const char* negative) {
  return v == 0 ? zero : v > 0 ? positive : negative;
}

void signal(const loaded_record& r, const scenario_model& m, json& out) {
  const auto& v = r.numbers;  // posizione sx s1 s2 s3 rapp dx d1 d2 d3 tempo
  const int64_t c = cell_of(v[0]);
  int64_t tempo = v[10];
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  object o("segnale", "Segnale", v[0], v[0], n(c));
  o.field("sx, dx", n(v[1]) + ", " + n(v[6]) + ": aspetto sx x 3 + dx = " + n(v[1] * 3 + v[6]))
      .field("s1, d1", n(v[2]) + ", " + n(v[7]) + ": info1 = s1 x 10 + d1")
      .field("s2, d2", n(v[3]) + ", " + n(v[8]) + ": info2 = s2 x 10 + d2")
      .field("s3, d3", n(v[4]) + ", " + n(v[9]) + ": info3 = s3 x 10 + d3")
      .field("rapp", n(v[5]) + ": info4 = rapp x 10 + aspetto")
      .field("tempo", v[1] == 2 ? n(v[10]) + ": ritardo nella cella " + n(tempo) + (tempo != v[10] ? " (da 1 a 100 vale 101)" : "")
                                : n(v[10]) + ": non usato (vale solo con sx 2)")
      .field("nella cella", cell_values(m, c))
      .field("marche di avvicinamento", "celle " + n(c - 2) + ", " + n(c - 4) + ", " + n(c - 6) + ", " + n(c - 8) +
                                            " (100, 200, 300, 400 m prima)");
  out.push_back(o.j);
}

void slowdown(const loaded_record& r, json& out) {
  const auto& v = r.numbers;  // x v l f_tt f_ta d_v
  const int64_t x = v[0], end = v[0] + v[2];
  const bool board = x > 1500;
  const int64_t w = cell_of(x - 1200), k = nearest_whole((static_cast<double>(x) - 1200) / 50);
  object o("rallentamento", "Rallentamento a " + n(v[1]) + " km/h", x, end, cells(cell_of(x), cell_of(end)));
  o.field("inizio", metres(x) + ", cella " + n(cell_of(x)))
      .field("velocita'", n(v[1]) + " km/h")
      .field("lunghezza", metres(v[2]) + ", fine a " + metres(end) + ", cella " + n(cell_of(end)))
      .field("f_tt", n(v[3]) + ": info3 delle celle di inizio e fine")
      .field("f_ta", !board ? n(v[4]) + ": non usato (nessun cartello di avviso entro 1500 m)"
                     : v[4] != 0 ? n(v[4]) + ": celle di avvicinamento " + cells(k - 3, k)
                                 : n(v[4]) + ": nessuna cella di avvicinamento")
      .field("d_v", v[5] != 0 ? n(v[5]) + ": info2 delle celle di inizio, fine e avviso" : "0: nessuno")
      .field("cartello di avviso", board ? metres(x - 1200) + ", cella " + n(w) : "nessuno (inizio entro 1500 m)");
  o.j["velocita"] = v[1];
  out.push_back(o.j);
  if (!board) return;
  object a("avviso", "Cartello di avviso del rallentamento a " + n(v[1]) + " km/h", x - 1200, x - 1200, n(w));
  a.field("distanza", "1200 m prima dell'inizio del rallentamento")
      .field("rallentamento", "da " + metres(x) + " a " + metres(end) + ", " + n(v[1]) + " km/h");
  out.push_back(a.j);
}

void station(const loaded_record& r, const scenario_model& m, int ordinal, json& out) {
  const auto& v = r.numbers;  // posizione tipo lunghezza S1..S10 ore minuti secondi
  const std::string name = ansi_to_utf8(r.text);
  const item_entry* e = ordinal >= 1 && ordinal <= kFirstBoardItem ? &m.item_table[static_cast<size_t>(ordinal)] : nullptr;
  const int64_t from = e != nullptr ? e->start : v[0], to = e != nullptr ? e->end : v[0];
  const bool stops = v[1] < 25;
  const int64_t stop = nearest_whole(static_cast<double>(to) / 50 - 1);
  object o("stazione", "Stazione " + name, v[0], v[0], stops ? n(stop) + " (fermata)" : "nessuna (tipo da 25 in su)");
  o.field("nome", name)
      .field("tipo", n(v[1]))
      .field("lunghezza", metres(v[2]) + ": tratto da " + metres(from) + " a " + metres(to))
      .field("orario", n(v[13]) + ":" + two_digits(v[14]) + ":" + two_digits(v[15]));
  std::string all;
  size_t i = 0;
  for (const station_setting& setting : station_settings()) {
    all += std::string(i ? ", " : "") + setting.name + " " + n(v[3 + i]);
    ++i;
  }
  o.field("impostazioni", all);
  if (e != nullptr) o.field("nella tabella", "voce " + n(ordinal));
  o.j["tratto"] = {from, to};
  o.j["stazione"] = name;
  out.push_back(o.j);
}

void tunnel(const loaded_record& r, const scenario_model& m, json& out) {
  const auto& v = r.numbers;  // inizio fine tipo
  const int64_t first = nearest_whole(static_cast<double>(v[0]) / 50), last = nearest_whole(static_cast<double>(v[1]) / 50 - 1);
  const route_cell* c = cell_at(m, first);
  object o("galleria", "Galleria", v[0], v[1], first <= last ? cells(first, last) : "nessuna (troppo corta)");
  o.field("inizio", metres(v[0])).field("fine", metres(v[1]) + " (" + metres(v[1] - v[0]) + ")");
  o.field("tipo", n(v[2]) + (v[2] > 10 ? ": con marcatori ogni 200 m, tipo " + n(v[2] - 10) : ": senza marcatori"));
  if (c != nullptr && first <= last) o.field("nelle celle", "tipo di galleria " + n(c->tunnel_kind));
  out.push_back(o.j);
}

void speed_board(const loaded_record& r, const scenario_model& m, json& out) {
  const auto& v = r.numbers;  // posizione vas vbs vcs strisces vad vbd vcd strisced
  const int64_t c = cell_of(v[0]);
  object o("indicatori", "Cartelli di velocita' massima", v[0], v[0], n(c));
  o.field("rango A", n(v[1]) + " km/h, seconda velocita' " + n(v[5]) + " km/h")
      .field("rango B", n(v[2]) + " km/h, seconda velocita' " + n(v[6]) + " km/h")
      .field("rango C", n(v[3]) + " km/h, seconda velocita' " + n(v[7]) + " km/h")
      .field("strisce", n(v[4]) + " e " + n(v[8]))
      .field("nella cella", cell_values(m, c));
  out.push_back(o.j);
}

void name_board(const loaded_record& r, json& out) {
  const int64_t p = r.numbers[0];
  object o("cartello", "Cartello indicatore", p, p, n(cell_of(p)));
  o.field("scritta", ansi_to_utf8(r.text));
  out.push_back(o.j);
}

void code_point(const loaded_record& r, json& out) {
  const int64_t p = r.numbers[0], value = r.numbers[1];
  object o("abbattimento", value > 0 ? "Punto di codice" : "Taglio di codice", p, p,
           n(nearest_whole(static_cast<double>(p) / 50)));
  o.field("valore", value > 0 ? n(value) + ": codice " + n(static_cast<int16_t>(value)) + " nella cella"
                                 : n(value) + ": taglio del codice");
  out.push_back(o.j);
}

void gradient(const loaded_record& r, json& out) {
  const int64_t p = r.numbers[0], g = r.numbers[1];
  object o("pendenza", "Cambio di pendenza", p, p, "dalla " + n(nearest_whole(static_cast<double>(p) / 50)));
  o.field("pendenza", (g > 0 ? "+" : "") + n(g) + " per mille, " + side_words(g, "in piano", "in salita", "in discesa"));
  out.push_back(o.j);
}

void curve(const loaded_record& r, json& out) {
  static constexpr int kRadius[] = {10000, 5000, 2500, 1000, 500, 333};
  static constexpr const char* kCurvature[] = {"0,0001", "0,0002", "0,0004", "0,001", "0,002", "0,003"};
  const std::string k = to_lower_ansi(r.key);
  int digit = 0;
  for (char d = '1'; d <= '6' && digit == 0; ++d) {
    if (contains(k, std::string(1, d))) digit = d - '0';
  }
  const int64_t start = r.numbers[0], end = r.numbers[0] + r.numbers[1];
  const bool left = contains(k, "s");
  object o("curva", left ? "Curva a sinistra" : "Curva a destra", start, end,
           cells(nearest_whole(static_cast<double>(start) / 50), nearest_whole(static_cast<double>(end) / 50)));
  o.field("chiave", ansi_to_utf8(r.key))
      .field("inizio", metres(start))
      .field("lunghezza", metres(r.numbers[1]) + ", fine a " + metres(end))
      .field("curvatura", digit == 0 ? "nessuna cifra da 1 a 6"
                                     : std::string(kCurvature[digit - 1]) + " per metro, raggio " +
                                           n(kRadius[digit - 1]) + " m");
  out.push_back(o.j);
}

}  // namespace

std::string km_words(int64_t metres_from_start) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "km %.3f", static_cast<double>(metres_from_start) / 1000.0);
  std::string s = buf;
  for (char& c : s) {
    if (c == '.') c = ',';
  }
  return s;
}

json line_objects(const std::vector<loaded_record>& records, const scenario_model& model) {
  const std::string names[] = {line_definition_name(model.identity.route_name),
                               train_definition_name(model.identity.route_name, model.identity.train_number)};
  json out = json::array();
  int stations = 0;
  for (const loaded_record& r : records) {
    // Only a clean compile is drawn; a record refused or cut short places nothing.
    if (!r.whole) continue;
    const size_t before = out.size();
    switch (r.kind) {
      case record_object::signal: signal(r, model, out); break;
      case record_object::slowdown: slowdown(r, out); break;
      case record_object::station: station(r, model, ++stations, out); break;
      case record_object::tunnel: tunnel(r, model, out); break;
      case record_object::speed_board: speed_board(r, model, out); break;
      case record_object::name_board: name_board(r, out); break;
      case record_object::code_point: code_point(r, out); break;
      case record_object::gradient: gradient(r, out); break;
      case record_object::curve: curve(r, out); break;
      case record_object::speed: break;  // drawn as the speed limit line
    }
    const std::string& file = names[r.file == definition_file::train ? 1 : 0];
    for (size_t i = before; i < out.size(); ++i) {
      out[i]["file"] = file;
      out[i]["riga"] = r.line;
      out[i]["fonte"] = file + ":" + std::to_string(r.line);
    }
  }
  return out;
}

}  // namespace scenario::tool
