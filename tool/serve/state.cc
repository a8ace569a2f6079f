#include "tool/serve/state.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

#include "model/diagnostics.h"
#include "tool/definition_findings.h"
#include "tool/railway/timetable.h"
#include "tool/report_json.h"
#include "tool/serve/objects.h"
#include "tool/map/imported_track.h"
#include "tool/serve/view_data.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

// Where a finding lies along the line: the fault's own position, else the
// position of the record on the finding's line, if one places something.
json position_of(const source_site& site, const fault_state* fault, const std::vector<loaded_record>& records) {
  if (fault != nullptr && fault_has_position(fault->error_code)) return fault->error_position;
  for (const loaded_record& r : records) {
    if (r.file == site.file && r.line == site.line && !r.numbers.empty()) return r.numbers[0];
  }
  return nullptr;
}

// The page lists this many findings at most: a definition full of mistakes
// (a file of a million unknown fields) would otherwise make a state of
// hundreds of megabytes. The totals count them all; check lists them all.
constexpr size_t kMostListed = 1000;

json diagnostics(const definition_check& found, const definition_paths& paths, const std::vector<loaded_record>& records) {
  json list = json::array();
  for (const definition_check::entry& e : found.in_order) {
    if (list.size() == kMostListed) break;
    json d;
    if (e.fault) {
      const fault_state& f = found.faults[e.index];
      d = finding_json(f, paths);
      d["testo"] = fault_headline(f, paths);
      d["posizione"] = position_of(f.site, &f, records);
    } else {
      const load_warning& w = found.warnings[e.index];
      d = finding_json(w, paths);
      std::string text = format_warning(w, paths);
      d["testo"] = text.substr(0, text.find('\n'));
      d["posizione"] = position_of(w.site, nullptr, records);
    }
    // The page reads Italian names.
    json out = {{"gravita", d["severity"]}, {"file", d["file"]}, {"riga", d["line"]}, {"colonna", d["column"]},
                {"messaggio", d["message"]}, {"testo", d["testo"]}, {"posizione", d["posizione"]}};
    if (e.fault) out["codice"] = d["code"];
    if (!e.fault) out["tipo"] = d["kind"];
    list.push_back(out);
  }
  return list;
}

// The drawing as the page receives it with each state: each object with
// only what the views draw it by. What the panel says of an object comes
// apart (objects_text), when one is pointed at.
// The fastest run and the timetable, for the speed and time diagrams: a
// point every 50 m from the first station (every 100 m past 450 km, and so
// on: the page needs no more), km/h and seconds with the stops' dwell.
json run_of(const std::optional<timetable_report>& timetable) {
  if (!timetable || timetable->stations.empty() || timetable->run.time.empty()) return nullptr;
  const timetable_report& r = *timetable;
  const double every = 50 * std::ceil(std::max(r.run.to - r.run.from, 1.0) / 450000);
  json speed = json::array(), time = json::array(), schedule = json::array();
  for (double m = r.run.from; m <= r.run.to + every / 2; m += every) {
    const double t = r.elapsed(m, true);
    speed.push_back(std::lround(r.run.speed_at(m) * 3.6));
    time.push_back(std::isfinite(t) ? json(std::lround(t)) : json(nullptr));
  }
  schedule.push_back({{"m", r.stations.front().position}, {"t", 0}});
  for (const timetable_section& s : r.sections) {
    if (!r.stations[s.to].time_valid) continue;  // a time that is none is not drawn
    schedule.push_back({{"m", r.stations[s.to].position}, {"t", r.stations[s.to].time - r.departure}});
  }
  return {{"da", r.run.from}, {"passo", every}, {"velocita", std::move(speed)}, {"tempi", std::move(time)},
          {"partenza", r.departure}, {"orario", std::move(schedule)}};
}

json drawing(const scenario_model& model, const std::optional<timetable_report>& timetable, json& objects, int revision,
             const std::vector<plan_xy>& imported) {
  json stations = json::array();
  for (const json& o : objects) {
    if (o["tipo"] == "stazione") stations.push_back({{"nome", o["stazione"]}, {"posizione", o["inizio"]}});
  }
  json view = view_data(model, objects, imported);
  json drawn = json::array();
  for (const json& o : objects) {
    json d = {{"tipo", o["tipo"]}, {"nome", o["nome"]}, {"inizio", o["inizio"]}, {"fine", o["fine"]}, {"livello", o["livello"]}};
    if (o.contains("velocita")) d["velocita"] = o["velocita"];
    drawn.push_back(std::move(d));
  }
  return {{"revisione", revision},
          {"lunghezza", model.item_table[kTrainItem].end},
          {"vista", std::move(view)},
          {"corsa", run_of(timetable)},
          {"oggetti", std::move(drawn)},
          {"stazioni", std::move(stations)}};
}

bool same(const definition_reads& a, const definition_reads& b) {
  return a.line == b.line && a.train == b.train && a.texts.line == b.texts.line && a.texts.train == b.texts.train;
}

}  // namespace

void live_scenario::update(const definition_texts& texts) {
  show(check_definitions(texts, scenario_identity{set_.route, set_.train}));
}

void live_scenario::update_from(const definition_reads& reads) {
  for (const auto& [file, problem] : {std::pair{definition_file::line, reads.line}, {definition_file::train, reads.train}}) {
    if (problem == read_problem::none || problem == read_problem::missing) continue;
    definition_check found;
    found.reported.error_code = kReadFault;
    found.reported.site.file = file;
    found.reported.detail = read_problem_words(problem);
    found.faults.push_back(found.reported);
    found.in_order.push_back({true, 0});
    return show(found);
  }
  update(reads.texts);
}

void live_scenario::show(const definition_check& found) {
  ++revision_;
  const definition_paths paths = set_.paths();
  const std::vector<loaded_record>& records = found.records;
  if (!found.reported) {
    json objects = line_objects(records, found.compiled);
    drawing_ = drawing(found.compiled, found.timetable, objects, revision_,
                       read_imported_track(set_.directory, set_.route).points);
    objects_text_ = std::make_shared<const std::string>(
        json({{"revisione", revision_}, {"oggetti", std::move(objects)}}).dump(-1, ' ', false, json::error_handler_t::replace));
  }
  state_ = {{"revisione", revision_},
            {"percorso", set_.route},
            {"treno", set_.train},
            {"definizioni", {paths.line, paths.train}},
            {"errore", found.reported ? json(fault_headline(found.reported, paths)) : json(nullptr)},
            {"aggiornato", !found.reported},
            {"diagnostica", diagnostics(found, paths, records)},
            {"non_elencati", found.in_order.size() - std::min(found.in_order.size(), kMostListed)},
            {"errori", found.faults.size()},
            {"avvisi", found.warnings.size()},
            {"disegno", drawing_}};
  state_text_ = std::make_shared<const std::string>(state_.dump(-1, ' ', false, json::error_handler_t::replace));
}

definition_watch::definition_watch(definition_set set, definition_texts first, std::ostream& err)
    : set_(std::move(set)), err_(err) {
  seen_.texts = std::move(first);
}

bool definition_watch::changed(definition_reads* reads) {
  definition_reads now = read_definition_files(set_.directory, set_.route, set_.train);
  const bool starved = now.line == read_problem::no_descriptors || now.train == read_problem::no_descriptors;
  if (starved != starved_) {
    err_ << (starved ? "scenario serve: troppi file aperti: le definizioni non si possono rileggere, la pagina "
                       "resta com'era\n"
                     : "scenario serve: le definizioni si possono di nuovo rileggere\n")
         << std::flush;
    starved_ = starved;
  }
  if (starved) return false;
  const bool same_as_last = same(now, last_);
  last_ = now;
  if (!same_as_last || same(now, seen_)) return false;
  seen_ = now;
  *reads = std::move(now);
  return true;
}

}  // namespace scenario::tool
