// scenario orario DIR --route NAME --train NUMBER [-o FILE.svg] [--json]
//   [--sosta S] [--margine P] [--passo M] [--accelerazione A] [--potenza P]
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "model/diagnostics.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"
#include "tool/map/run_diagrams.h"
#include "tool/map/svg_output.h"
#include "tool/railway/railway_findings.h"
#include "tool/railway/timetable.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario orario DIR --route NOME --train NUMERO [-o FILE.svg] [--json]\n"
    "                     [--sosta S] [--margine P] [--passo M] [--accelerazione A] [--potenza P]\n"
    "Compila in memoria le definizioni della cartella DIR, calcola la corsa piu' veloce del\n"
    "treno che rispetta ogni limite (velocita' del treno, rallentamenti, fermate) e confronta\n"
    "con l'orario ogni tratta fra due stazioni con un orario: tempo previsto, tempo minimo,\n"
    "margine. L'orario di una stazione e' la partenza, quello dell'ultima l'arrivo; il treno\n"
    "sosta a ogni stazione con un orario.\n"
    "  -o FILE.svg        disegna i diagrammi velocita'-distanza e tempo-distanza\n"
    "  --json             un oggetto JSON su standard output al posto della tabella\n"
    "  --sosta S          secondi di sosta a ogni fermata (30)\n"
    "  --margine P        margine in per cento sotto il quale una tratta ha un avviso (3)\n"
    "  --passo M          metri fra i punti del calcolo (1)\n"
    "  --accelerazione A  accelerazione massima del treno in m/s2 (0,8)\n"
    "  --potenza P        potenza del treno in kW per tonnellata (12)\n"
    "La frenatura viene dalla percentuale di massa frenata della definizione del treno.\n"
    "Uscita: 0 orario rispettabile, 1 errore nelle definizioni o una tratta non\n"
    "rispettabile, 2 comando o file non validi.\n";

// A positive number from the command line, with a decimal point or comma.
std::optional<double> positive(const std::string& text) {
  std::string s = text;
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(v) || v < 0) return std::nullopt;
  return v;
}

std::string km(double metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", metres / 1000);
  std::string s = buf;
  s[s.find('.')] = ',';
  return s;
}

std::string percent(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (const size_t dot = s.find('.'); dot != std::string::npos) s[dot] = ',';
  return s;
}

// What a section comes to: kept, kept by less than the margin, not, or
// without a figure to judge it by.
enum class verdict { kept, tight, impossible, not_computable };
verdict verdict_of(const timetable_section& s, double margin) {
  if (!s.computed()) return verdict::not_computable;
  if (!(s.margin() >= 0)) return verdict::impossible;
  return s.margin_percent() < margin ? verdict::tight : verdict::kept;
}
const char* verdict_words(verdict v) {
  switch (v) {
    case verdict::impossible: return "non rispettabile";
    case verdict::not_computable: return "non calcolabile";
    case verdict::tight: return "margine basso";
    case verdict::kept: break;
  }
  return "ok";
}
// What check counts as an error: a section the train cannot keep, or one
// that a time which is none or a point it cannot pass leaves without a
// figure. Times that go backwards are a warning there, and so here.
bool is_fault(const timetable_section& s, double margin) {
  const verdict v = verdict_of(s, margin);
  return v == verdict::impossible || (v == verdict::not_computable && s.gap != section_gap::backwards);
}

// The margin in words: what is left, or what is missing; never a
// negative duration.
std::string margin_words(const timetable_section& s) {
  const std::string figure = " (" + percent(std::fabs(s.margin_percent())) + " %)";
  return s.margin() >= 0 ? duration_words(s.margin()) + figure : "mancano " + duration_words(-s.margin()) + figure;
}

std::string padded(const std::string& utf8, size_t width) {
  size_t chars = 0;
  for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
  return utf8 + std::string(chars < width ? width - chars : 1, ' ');
}

}  // namespace

int run_orario(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  const auto start = start_command("orario", words,
                                   {"-o", "--sosta", "--margine", "--passo", "--accelerazione", "--potenza"}, {"--json"},
                                   kHelp, out, err, &status);
  if (!start) return status;
  timetable_options options;
  struct number_option {
    const char* name;
    double* value;
    double least;
  } numbers[] = {{"--sosta", &options.dwell, 0},
                 {"--margine", &options.margin_warning, 0},
                 {"--passo", &options.step, 0.1},
                 {"--accelerazione", &options.train.max_acceleration, 0.05},
                 {"--potenza", &options.train.power_per_tonne, 0.5}};
  for (const number_option& n : numbers) {
    const auto text = start->args.value(n.name);
    if (!text) continue;
    const auto v = positive(*text);
    if (!v || *v < n.least || *v > 1e6) {
      err << "scenario orario: " << n.name << " vuole un numero da " << n.least << " in su, non \"" << *text << "\"\n";
      return kExitUsage;
    }
    *n.value = *v;
  }
  const auto output = start->args.value("-o");
  if (output && !output->empty() && *output != "-") {
    if (const std::string problem = svg_output_problem(*output, start->set); !problem.empty()) {
      err << "scenario orario: " << problem << "\n";
      return kExitUsage;
    }
  }

  const definition_check found = check_definitions(start->texts, scenario_identity{start->set.route, start->set.train});
  if (found.reported) {
    err << format_fault(found.reported, start->set.paths());
    err << "scenario orario: le definizioni hanno un errore, nessun orario calcolato\n";
    return kExitFault;
  }
  const timetable_report r = timetable_of(found.compiled, found.records, options, start->texts.train.value_or(""));
  railway_options words_options;
  words_options.train_file = train_definition_name(start->set.route, start->set.train);
  // The definition that holds the point the train cannot pass.
  const std::string obstacle_file = !r.obstacle                               ? std::string()
                                    : r.obstacle->file == definition_file::line ? line_definition_name(start->set.route)
                                                                                : words_options.train_file;
  bool impossible = false;
  for (const timetable_section& s : r.sections) impossible |= is_fault(s, options.margin_warning);

  if (start->args.has("--json")) {
    nlohmann::json sections = nlohmann::json::array();
    for (const timetable_section& s : r.sections) {
      const timetable_station &a = r.stations[s.from], &b = r.stations[s.to];
      // A figure that does not exist is null, and "motivo" says why;
      // every section has the same members.
      const bool computed = s.computed();
      auto figure = [computed](double v) {
        return computed && std::isfinite(v) ? nlohmann::json(std::round(v * 10) / 10) : nlohmann::json(nullptr);
      };
      const bool scheduled = s.has_schedule();
      sections.push_back({{"da", a.name}, {"a", b.name}, {"da_m", a.position}, {"a_m", b.position},
                          {"previsto_s", scheduled ? nlohmann::json(s.scheduled) : nlohmann::json(nullptr)},
                          {"corsa_s", figure(s.running)}, {"sosta_s", s.dwell},
                          {"minimo_s", figure(s.shown_minimum())}, {"margine_s", figure(s.margin())},
                          {"margine_percento", figure(s.margin_percent())},
                          {"esito", verdict_words(verdict_of(s, options.margin_warning))},
                          {"motivo", computed ? nlohmann::json(nullptr) : nlohmann::json(section_gap_words(r, s))},
                          {"riga", b.line}});
    }
    print_json(out, nlohmann::json{{"massa_frenata_percento", r.braked_mass_percent},
                                   {"partenza_s", r.departure},
                                   {"sosta_s", options.dwell},
                                   {"passo_m", options.step},
                                   {"treno", {{"accelerazione_massima", options.train.max_acceleration},
                                              {"potenza_kw_t", options.train.power_per_tonne}}},
                                   {"tratte", sections},
                                   {"ostacolo", r.obstacle ? nlohmann::json{{"metro", r.obstacle->metre},
                                                                            {"file", obstacle_file},
                                                                            {"riga", r.obstacle->line},
                                                                            {"motivo", obstacle_words(r, words_options)}}
                                                           : nlohmann::json(nullptr)}});
  } else if (r.sections.empty()) {
    out << "nessuna tratta fra due stazioni con un orario: niente da confrontare\n";
  } else {
    out << "partenza da " << r.stations.front().name << " alle "
        << clock_words(r.departure) << "; massa frenata " << r.braked_mass_percent << " %; sosta " << options.dwell
        << " s a ogni fermata con orario\n\n";
    // Widths for the longest figure: "10 h 02 min 05 s".
    out << padded("da", 24) << padded("a", 24) << padded("km", 9) << padded("previsto", 18) << padded("minimo", 18)
        << "margine\n";
    for (const timetable_section& s : r.sections) {
      const timetable_station &a = r.stations[s.from], &b = r.stations[s.to];
      const verdict v = verdict_of(s, options.margin_warning);
      const bool scheduled = s.has_schedule();
      out << padded(a.name, 24) << padded(b.name, 24) << padded(km(b.position - a.position), 9)
          << padded(scheduled ? duration_words(s.scheduled) : "-", 18)
          << padded(s.computed() ? duration_words(s.shown_minimum()) : "-", 18);
      if (v == verdict::not_computable) {
        out << verdict_words(v) << ": " << section_gap_words(r, s);
      } else {
        out << margin_words(s);
        if (v != verdict::kept) out << "  " << verdict_words(v);
      }
      out << "\n";
    }
    if (r.obstacle) {
      out << "\n" << obstacle_file << ", riga " << r.obstacle->line << ": " << obstacle_words(r, words_options) << "\n";
    }
  }
  if (output && !output->empty() && r.stations.size() < 2) {
    err << "scenario orario: meno di due stazioni, nessun diagramma scritto\n";
  } else if (output && !output->empty()) {
    std::string title = start->set.route;
    for (char& c : title) {
      if (c == '_') c = ' ';
    }
    const std::string svg = run_diagrams_svg(r, title + " \xE2\x80\x94 treno " + start->set.train);
    if (*output == "-") {
      out << svg;
    } else {
      try {
        replace_file(*output, svg);
      } catch (const file_error& e) {
        err << "scenario orario: " << e.what() << "\n";
        return kExitUsage;
      }
    }
  }
  return impossible ? kExitFault : kExitClean;
}

}  // namespace scenario::tool
