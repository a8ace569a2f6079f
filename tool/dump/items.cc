// The item table file: stations, board texts, kilometric progressions and
// the scenario's settings, in words, CSV (one row per value) or JSON.
#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string_view>

#include "model/ansi_text.h"
#include "model/compiled_fields.h"
#include "tool/dump/views.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

// One value shown for an entry: a key for scripts, an Italian label, and
// either a number or a text (ANSI bytes).
struct shown {
  const char* key;
  const char* label;
  int64_t number = 0;
  std::optional<std::string> text;
  bool in_words = true;  // false: a raw code shown only in CSV and JSON
};

struct entry_view {
  int index;
  const char* role;  // Italian, also the JSON "role"
  std::vector<shown> values;
};

shown num(const char* key, const char* label, int64_t v) { return shown{key, label, v, std::nullopt}; }
shown txt(const char* key, const char* label, std::string v) { return shown{key, label, 0, std::move(v)}; }

// Hours, minutes and seconds as h:mm:ss.
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
                               num("end", "fine tratto", e.end), txt("time", "orario", time_text(e.time_s)),
                               shown{"time_s", "secondi", e.time_s, std::nullopt, false}}};
  for (const station_setting& s : station_settings()) v.values.push_back(num(s.name, s.name, s.get(e)));
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
      v = {i, "treno", {num("braked_mass", "percentuale massa frenata", e.start),
                        num("route_length", "lunghezza percorso", e.end), num("cars", "vetture", e.position)}};
      add_others(e, {"start", "end", "position"}, &v.values);
      break;
    case kRouteItem:
      v = {i, "percorso", {txt("route", "percorso", e.text), num("background_uno", "sfondo uno", e.start),
                           num("background_due", "sfondo due", e.position), num("background_tre", "sfondo tre", e.end),
                           num("format_mark", "marchio", e.num1), num("check_code_st", "codice st", e.time_s)}};
      add_others(e, {"start", "end", "position", "num1", "time_s"}, &v.values);
      break;
    case kRepeatItem:
      v = {i, "treno e ripetizione", {txt("train", "treno", e.text),
                                      num("repetition_start", "ripetizione dal metro", e.start),
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

std::string value_text(const shown& s) { return s.text ? ansi_to_utf8(*s.text) : std::to_string(s.number); }

// A CSV field, quoted when it holds a comma, a quote or a line end.
std::string csv_field(const std::string& v) {
  if (v.find_first_of(",\"\r\n") == std::string::npos) return v;
  std::string q = "\"";
  for (char c : v) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

}  // namespace

void dump_items(const std::string& path, const std::array<item_entry, kItemCount>& items, const dump_options& o,
                std::ostream& out) {
  const std::vector<entry_view> views = item_views(items);
  switch (o.form) {
    case dump_form::text:
      out << "voci di " << path << ": " << kItemCount << " (0-" << kItemCount - 1 << "); una riga per voce non vuota\n";
      for (const entry_view& v : views) {
        out << "voce " << v.index << ", " << v.role << ":";
        const char* sep = " ";
        for (const shown& s : v.values) {
          if (!s.in_words) continue;
          out << sep << s.label << " " << value_text(s);
          sep = ", ";
        }
        out << "\n";
      }
      break;
    case dump_form::csv:
      out << "entry,role,field,value\n";
      for (const entry_view& v : views) {
        for (const shown& s : v.values) {
          out << v.index << "," << csv_field(v.role) << "," << s.key << "," << csv_field(value_text(s)) << "\n";
        }
      }
      break;
    case dump_form::json: {
      nlohmann::ordered_json entries = nlohmann::ordered_json::array();
      for (const entry_view& v : views) {
        nlohmann::ordered_json e;
        e["entry"] = v.index;
        e["role"] = v.role;
        for (const shown& s : v.values) {
          if (s.text) {
            e[s.key] = ansi_to_utf8(*s.text);
          } else {
            e[s.key] = s.number;
          }
        }
        entries.push_back(e);
      }
      nlohmann::ordered_json report;
      report["file"] = path;
      report["type"] = "item_table";
      report["entries"] = entries;
      print_json(out, report);
      break;
    }
  }
}

}  // namespace scenario::tool
