// scenario import EXTRACT --from STOP --to STOP --route NAME --train NUMBER
// [--via STOP] [--dem FILE|DIR] [--min-gradient-length M]
// [--stop-distance M] -o DIR: a first draft of a line and a train from a map
// extract, with the fit of its curves and gradients reported.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <ostream>

#include "model/file_names.h"
#include "model/output_files.h"
#include "tool/arguments.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/import/definitions_writer.h"
#include "tool/import/elevation.h"
#include "tool/import/fit.h"
#include "tool/import/osm_data.h"
#include "tool/import/places.h"
#include "tool/import/profile_samples.h"
#include "tool/import/projection.h"
#include "tool/import/rail_graph.h"
#include "tool/import/report.h"
#include "tool/import/stops.h"
#include "tool/import/track.h"
#include "tool/output_folder.h"

namespace scenario::tool {
namespace {

using namespace import;

constexpr char kHelp[] =
    "uso: scenario import ESTRATTO --from LUOGO --to LUOGO --route NOME --train NUMERO -o DIR\n"
    "                     [--via LUOGO] [--dem FILE|DIR] [--min-gradient-length M] [--stop-distance M]\n"
    "Una prima bozza della linea da un estratto OpenStreetMap (.osm.pbf o .osm): il binario\n"
    "piu' breve tra i due luoghi (preferendo le linee principali e restando su uno dei binari\n"
    "paralleli), con curve e pendenze adattate, gallerie, velocita' (maxspeed), cippi\n"
    "chilometrici e le fermate lungo il percorso. Scrive in DIR NOME_linea.txt, NOME_NUMERO-.txt\n"
    "e il resoconto NOME_import.json; non sostituisce file gia' presenti.\n"
    "  LUOGO                   nome di una stazione o fermata (maiuscole, accenti e punteggiatura\n"
    "                          non contano) oppure un punto \"lat,lon\" in gradi (il binario piu' vicino)\n"
    "  --dem FILE|DIR          modello di elevazione: GeoTIFF o tessere SRTM .hgt; senza, i tag ele\n"
    "                          dei nodi, altrimenti linea in piano (con un avviso)\n"
    "  --min-gradient-length M lunghezza minima di una pendenza (200 m)\n"
    "  --stop-distance M       distanza massima dal binario di una stazione o fermata (100 m)\n"
    "Uscita: 0 scritte, 1 scritte ma con errori al controllo, 2 comando o dati non validi\n"
    "(nulla scritto).\n";

struct import_failure {
  std::string message;
};

std::optional<int> whole_metres(const std::optional<std::string>& word, int fallback, int least, int most) {
  if (!word) return fallback;
  try {
    size_t used = 0;
    const int v = std::stoi(*word, &used);
    if (used != word->size() || v < least || v > most) return std::nullopt;
    return v;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

geo_point centre_of(const std::vector<named_place>& places) {
  geo_point c;
  for (const named_place& p : places) {
    c.lon += p.at.lon / static_cast<double>(places.size());
    c.lat += p.at.lat / static_cast<double>(places.size());
  }
  return c;
}

// The path through every place in turn, each leg continuing the last.
rail_path path_through(const rail_graph& graph, const osm_extract& data, const local_projection& projection,
                       const std::vector<named_place>& places, double reach, const std::string& source) {
  std::vector<std::vector<uint32_t>> nodes;
  for (const named_place& p : places) {
    // A point stands for the one track node nearest it.
    place_nodes found = nodes_of(graph, projection, p, p.point ? 0.0 : reach);
    if (found.nodes.empty()) throw import_failure{found.error + " in " + source};
    nodes.push_back(std::move(found.nodes));
  }
  rail_path whole;
  for (size_t leg = 0; leg + 1 < places.size(); ++leg) {
    std::optional<uint32_t> arriving;
    std::vector<uint32_t> from = nodes[leg];
    if (!whole.edges.empty()) {
      arriving = whole.edges.back();
      from = {graph.edges[*arriving].to};
    }
    const auto path = shortest_path(graph, data, from, nodes[leg + 1], arriving);
    if (!path) {
      throw import_failure{"nessun percorso ferroviario da \"" + places[leg].word + "\" a \"" +
                           places[leg + 1].word + "\" in " + source +
                           (graph.gaps > 0 ? " (all'estratto mancano nodi di " + std::to_string(graph.gaps) +
                                                 " tratti di binario)"
                                           : std::string())};
    }
    whole.edges.insert(whole.edges.end(), path->edges.begin(), path->edges.end());
    whole.switches += path->switches;
    whole.way_changes += path->way_changes;
  }
  return whole;
}

struct profile_choice {
  std::vector<altitude_sample> samples;
  std::string source;
  bool flat = false;
  size_t implausible = 0;  // altitudes ignored: not numbers, or no ground on Earth
};

profile_choice altitudes(const track& route, const std::optional<std::string>& dem) {
  if (dem) {
    const opened_elevation opened = open_elevation_model(*dem);
    if (!opened.model) throw import_failure{opened.error};
    sampled_profile sampled = sample_model(route, *opened.model, *dem);
    if (!sampled.error.empty()) throw import_failure{sampled.error};
    return {std::move(sampled.samples), "modello " + std::filesystem::path(*dem).filename().string(), false,
            sampled.implausible};
  }
  sampled_profile tagged = sample_tags(route);
  if (!tagged.samples.empty()) return {std::move(tagged.samples), "tag ele della mappa", false, tagged.implausible};
  return {{{0, 0, true}, {route.length(), 0, true}}, "nessuna altitudine: linea in piano", true, tagged.implausible};
}

// What the summary tells of the altitudes left out.
std::string implausible_words(const profile_choice& p, const std::optional<std::string>& dem) {
  return "altitudini: " + std::to_string(p.implausible) + (dem ? " valori del modello" : " tag ele") +
         " non plausibili (non numeri, o fuori da " + std::to_string(static_cast<int>(kLowestAltitude)) + ".." +
         std::to_string(static_cast<int>(kHighestAltitude)) + " m) ignorati";
}

}  // namespace

int run_import(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  std::string problem;
  const auto args = parse_arguments(
      words, {"--from", "--to", "--via", "--route", "--train", "--dem", "--min-gradient-length", "--stop-distance", "-o"},
      {"--help"}, &problem);
  if (args && args->has("--help")) {
    out << kHelp;
    return kExitClean;
  }
  if (args && args->positional.size() != 1) problem = "serve un solo ESTRATTO (.osm.pbf o .osm)";
  for (const char* needed : {"--from", "--to", "--route", "--train", "-o"}) {
    if (args && problem.empty() && !args->value(needed)) problem = std::string("manca ") + needed;
  }
  const auto min_gradient = args ? whole_metres(args->value("--min-gradient-length"), 200, 50, 100000) : 0;
  const auto stop_distance = args ? whole_metres(args->value("--stop-distance"), 100, 0, 5000) : 0;
  if (args && problem.empty() && !min_gradient) problem = "--min-gradient-length vuole metri interi da 50 a 100000";
  if (args && problem.empty() && !stop_distance) problem = "--stop-distance vuole metri interi da 0 a 5000";
  // A point no place on Earth is the command line's mistake, not the extract's.
  for (const char* place : {"--from", "--via", "--to"}) {
    if (!args || !problem.empty() || !args->value(place)) continue;
    if (const auto bad = point_problem(*args->value(place))) problem = std::string(place) + " " + *bad;
  }
  if (!problem.empty()) {
    err << "scenario import: " << problem << "\n" << kHelp;
    return kExitUsage;
  }
  const scenario_identity id{*args->value("--route"), *args->value("--train")};
  if (const auto bad = identity_problem(id.route_name, id.train_number)) {
    err << "scenario import: " << *bad << "\n";
    return kExitUsage;
  }
  const std::string source = args->positional[0];
  const std::string directory = *args->value("-o");
  if (const auto bad = program_folder_problem(directory, "scenario import ... -o importata")) {
    err << "scenario import: " << *bad << "\n";
    return kExitUsage;
  }
  const std::vector<std::string> names = {line_definition_name(id.route_name),
                                          train_definition_name(id.route_name, id.train_number),
                                          import::report_name(id.route_name)};
  for (const std::string& name : names) {
    std::error_code ec;
    if (std::filesystem::exists(path_in(directory, name), ec)) {
      err << "scenario import: " << path_in(directory, name) << " esiste gia': non lo sostituisco\n";
      return kExitUsage;
    }
  }

  try {
    read_extract read = read_osm(source);
    if (!read.data) throw import_failure{read.error};
    const osm_extract& data = *read.data;
    if (data.ways.empty()) throw import_failure{"nessun binario (railway=rail) in " + source};

    std::vector<named_place> places;
    std::vector<std::string> asked = {*args->value("--from")};
    if (const auto via = args->value("--via")) asked.push_back(*via);
    asked.push_back(*args->value("--to"));
    for (const std::string& word : asked) {
      found_place found = find_place(data, word, source);
      if (!found.place) throw import_failure{found.error};
      places.push_back(std::move(*found.place));
    }
    const local_projection projection(centre_of(places));
    const rail_graph graph = build_rail_graph(data, projection);
    const rail_path path = path_through(graph, data, projection, places, *stop_distance, source);
    const track route = build_track(graph, data, path, projection, *stop_distance);
    if (route.length() < 1000) {
      throw import_failure{"da \"" + places.front().word + "\" a \"" + places.back().word + "\" in " + source +
                           " ci sono solo " + std::to_string(static_cast<int>(route.length())) +
                           " m di binario: ne servono almeno 1000 per due stazioni"};
    }
    if (route.length() > 1000000) {
      throw import_failure{"il percorso in " + source + " e' piu' lungo di 1000 km, il massimo di una linea"};
    }
    const auto route_length = static_cast<int32_t>(std::lround(route.length()));
    const plan_fit plan = fit_plan(route.points, route_length);
    const profile_choice profile_input = altitudes(route, args->value("--dem"));
    const profile_fit profile = fit_profile(profile_input.samples, route_length, *min_gradient);

    import_content content;
    content.id = id;
    content.source = std::filesystem::path(source).filename().string();
    content.first_name = places.front().name;
    content.last_name = places.back().name;
    content.route = &route;
    content.plan = &plan;
    content.profile = &profile;
    content.profile_source = profile_input.source;
    const written_definitions written = write_definitions(content);

    import_summary summary;
    summary.source = source;
    summary.from = places.front().word;
    summary.to = places.back().word;
    if (places.size() == 3) summary.via = places[1].word;
    summary.elevation_source = profile_input.source;
    summary.flat = profile_input.flat;
    summary.route = &route;
    summary.path = &path;
    summary.plan = &plan;
    summary.profile = &profile;
    summary.written = &written;
    if (data.missing_nodes > 0) {
      summary.skipped.push_back(std::to_string(data.missing_nodes) +
                                " nodi di binario mancano all'estratto (tagliato ai bordi): i loro tratti sono fuori dal grafo");
    }
    if (profile_input.implausible > 0) {
      summary.skipped.push_back(implausible_words(profile_input, args->value("--dem")));
    }
    if (profile_input.flat) {
      summary.skipped.push_back("altitudini: nessun modello (--dem) ne' tag ele plausibili, linea in piano");
    }
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const definition_check check = check_definitions({written.line, written.train}, id);
    std::filesystem::create_directories(directory);
    output_set files(directory);
    const std::string report = report_json(summary);
    files.write(names[0], [&](const chunk_writer& w) { w(written.line); });
    files.write(names[1], [&](const chunk_writer& w) { w(written.train); });
    files.write(names[2], [&](const chunk_writer& w) { w(report); });
    for (const std::string& path_written : files.commit()) out << path_written << "\n";
    print_summary(summary, err);
    if (!check.faults.empty()) {
      err << "scenario import: le definizioni scritte hanno " << check.faults.size()
          << " errori: scenario check DIR --route NOME --train NUMERO li elenca\n";
      return kExitFault;
    }
    if (profile_input.flat) err << "avviso: nessuna altitudine (--dem o tag ele): la linea e' in piano\n";
    return kExitClean;
  } catch (const import_failure& f) {
    err << "scenario import: " << f.message << "\n";
    return kExitUsage;
  } catch (const file_error& e) {
    err << "scenario import: " << e.what() << "\n";
    return kExitUsage;
  } catch (const std::filesystem::filesystem_error& e) {
    err << "scenario import: impossibile creare la cartella " << directory << ": " << e.code().message() << "\n";
    return kExitUsage;
  } catch (const std::runtime_error& e) {
    err << "scenario import: " << source << ": " << e.what() << "\n";
    return kExitUsage;
  }
}

}  // namespace scenario::tool
