#include "tool/papers/papers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "documents/paper_layout.h"
#include "model/file_names.h"

namespace scenario::tool {
namespace {

// The fields of a station record: position, kind, length, S1 to S10,
// hours, minutes, seconds; the name is its text.
constexpr size_t kLength = 2, kSeconds = 15;
constexpr int64_t kCell = 50;  // metres of a route cell

struct station {
  std::string name;  // Windows-1252, as the definition writes it
  int64_t position = 0;
  int64_t length = 0;
  double arrival = std::numeric_limits<double>::quiet_NaN();    // s after midnight
  double departure = std::numeric_limits<double>::quiet_NaN();  // s after midnight
};

// The stations in the order the timetable report holds them: it reads the
// same records with the same test, so index i is its station i.
std::vector<station> stations_of(const std::vector<loaded_record>& records) {
  std::vector<station> out;
  for (const loaded_record& rec : records) {
    if (!rec.whole || rec.kind != record_object::station || rec.numbers.size() <= kSeconds) continue;
    out.push_back({rec.text, rec.numbers[0], std::clamp<int64_t>(rec.numbers[kLength], 0, 1'000'000'000)});
  }
  return out;
}

// The times of every station, read as papers.h says.
void set_times(std::vector<station>& stations, const timetable_report& r, double dwell) {
  if (stations.empty() || stations.size() != r.stations.size()) return;
  const size_t last = stations.size() - 1;
  stations[0].departure = r.departure;
  size_t from = 0;
  for (size_t to = 1; to <= last; ++to) {
    const int32_t time = r.stations[to].time;
    if (time == 0 && to < last) continue;
    const double leaves = stations[from].departure;
    const double run_from = r.run.time_at(r.stations[from].position);
    const double running = r.run.time_at(r.stations[to].position) - run_from;
    const double earliest = leaves + running;
    double arrives = earliest;
    if (to == last && time != 0) {
      arrives = time;
    } else if (to < last) {
      arrives = std::min(std::max(time - dwell, earliest), static_cast<double>(time));
      stations[to].departure = time;
    }
    stations[to].arrival = arrives;
    // The stations passed between: the run's times stretched to the stop's.
    for (size_t k = from + 1; k < to; ++k) {
      const double part = r.run.time_at(r.stations[k].position) - run_from;
      stations[k].departure = running > 0 ? leaves + part / running * (arrives - leaves) : leaves + part;
    }
    from = to;
  }
}

std::string time_words(double seconds) {
  return std::isfinite(seconds) ? clock_words(seconds) : std::string(kFillByHand.substr(0, 4));
}

std::string whole(double v) { return std::to_string(std::llround(v)); }

// "40,000" for 40 000 m.
std::string italian_km(int64_t metres) {
  std::string s = kilometre_words(metres);
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string train_card(const scenario_model& model, const std::vector<station>& stations, const timetable_report& r,
                       bool rising) {
  const std::string fill(kFillByHand);
  card_head head;
  head.train = model.identity.train_number;
  head.from = stations.empty() ? fill : stations.front().name;
  head.to = stations.empty() ? fill : stations.back().name;
  head.rank = fill;
  head.braked_mass = r.braked_mass_percent > 0 ? whole(r.braked_mass_percent) + "%" : fill;
  head.classification = fill;
  head.blocked_mass = fill;
  std::vector<card_row> rows;
  for (size_t i = 0; i < stations.size(); ++i) {
    const station& s = stations[i];
    card_row row;
    if (i == 0) {
      const double limit = r.line.line_limit_at(static_cast<double>(s.position));
      row.speed = limit > 0 ? whole(limit) : fill.substr(0, 4);
    }
    row.kilometre = kilometre_words(kilometre_at(model, s.position, rising));
    row.name = s.name;
    if (i > 0) row.arrival = time_words(s.arrival);
    if (i + 1 < stations.size() || i == 0) row.departure = time_words(s.departure);
    // A station passed shows one time.
    if (i > 0 && i + 1 < stations.size() && std::isnan(s.arrival)) row.arrival.clear();
    rows.push_back(std::move(row));
  }
  return train_card_bytes(head, rows);
}

std::string slowdown_order(const scenario_model& model, std::vector<station> stations, const timetable_report& r,
                           bool rising) {
  std::stable_sort(stations.begin(), stations.end(),
                   [](const station& a, const station& b) { return a.position < b.position; });
  std::vector<run_line::restriction> slowdowns = r.line.restrictions;
  std::stable_sort(slowdowns.begin(), slowdowns.end(),
                   [](const run_line::restriction& a, const run_line::restriction& b) { return a.from < b.from; });
  std::vector<order_row> rows;
  std::vector<std::pair<int, int>> pairs;
  for (size_t i = 0; i < slowdowns.size(); ++i) {
    const run_line::restriction& s = slowdowns[i];
    order_row row;
    const station* in = nullptr;
    const station* before = nullptr;
    const station* after = nullptr;
    for (const station& st : stations) {
      if (2 * std::abs(s.from - st.position) <= st.length) in = in ? in : &st;
      if (st.position <= s.from) before = &st;
      if (st.position > s.from && !after) after = &st;
    }
    if (in) {
      row.from = in->name;
    } else if (before && after) {
      row.from = before->name;
      row.to = after->name;
    } else if (before || after) {
      row.from = before ? "oltre " + before->name : "prima di " + after->name;
    } else {
      row.from = std::string(kFillByHand);
    }
    // The post the train passes last before the start.
    const int64_t km = kilometre_at(model, s.from, rising);
    const int64_t post = rising ? (km >= 0 ? km / 1000 : -((-km + 999) / 1000))
                                : (km >= 0 ? (km + 999) / 1000 : -(-km / 1000));
    row.post = std::to_string(post);
    row.speed = whole(s.kmh);
    row.length = std::to_string(static_cast<int64_t>(s.to) - s.from);
    if (i > 0 && int64_t{s.from} <= int64_t{slowdowns[i - 1].to} + kCell) {
      row.contiguous = rows.back().contiguous = true;
      pairs.emplace_back(static_cast<int>(i), static_cast<int>(i + 1));
    }
    rows.push_back(std::move(row));
  }
  const std::string line = stations.empty() ? std::string(kFillByHand)
                                            : stations.front().name + " - " + stations.back().name;
  return slowdown_order_bytes(line, model.identity.train_number, rows, pairs);
}

std::string scenario_notes(const scenario_model& model, const std::vector<station>& stations,
                           const timetable_report& r, const papers_options& options) {
  const std::string route = stations.empty() ? model.identity.route_name
                                             : stations.front().name + " - " + stations.back().name;
  std::vector<std::string> body;
  if (options.notes) {
    std::string_view text = *options.notes;
    while (!text.empty()) {
      const size_t end = text.find('\n');
      std::string line(text.substr(0, end));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      body.push_back(std::move(line));
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
  } else {
    std::string names;
    for (const station& s : stations) names += (names.empty() ? "" : ", ") + s.name;
    body.push_back("- Linea " + route + ", lunga " + italian_km(r.line.length) + " km; " +
                   std::to_string(stations.size()) + (stations.size() == 1 ? " stazione" : " stazioni") +
                   (stations.empty() ? "." : ": " + names + "."));
    if (!stations.empty()) {
      body.push_back("- Partenza da " + stations.front().name + " alle " + time_words(stations.front().departure) +
                     ", arrivo a " + stations.back().name + " alle " + time_words(stations.back().arrival) + ".");
    }
    const size_t n = r.line.restrictions.size();
    body.push_back(n == 0 ? "- Nessun rallentamento."
                          : "- Rallentamenti: " + std::to_string(n) + ", elencati nel Modulo M. 3.");
  }
  return scenario_notes_bytes("Treno " + model.identity.train_number + " sul percorso " + route, body);
}

}  // namespace

std::string kilometre_words(int64_t kilometre_m) {
  const uint64_t magnitude = kilometre_m < 0 ? 0 - static_cast<uint64_t>(kilometre_m) : kilometre_m;
  std::string thousandths = std::to_string(magnitude % 1000);
  thousandths.insert(0, 3 - thousandths.size(), '0');
  return (kilometre_m < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + thousandths;
}

int64_t kilometre_at(const scenario_model& model, int64_t metre, bool rising) {
  const item_entry* holds = nullptr;
  const item_entry* earliest = nullptr;
  for (int i = kProgressionTre; i <= kProgressionUno; ++i) {
    const item_entry& e = model.item_table[i];
    if (e.start == 0 && e.end == 0) continue;  // not set, or cleared by the ordering
    if (e.start <= metre && (!holds || e.start > holds->start)) holds = &e;
    if (!earliest || e.start < earliest->start) earliest = &e;
  }
  if (!holds) holds = earliest;
  if (!holds) return metre;
  const int64_t along = metre - holds->start;
  return holds->end + (rising ? along : -along);
}

std::vector<paper> driver_papers(const scenario_model& model, const std::vector<loaded_record>& records,
                                 const papers_options& options) {
  const timetable_report r = timetable_of(model, records, options.timetable);
  std::vector<station> stations = stations_of(records);
  set_times(stations, r, options.timetable.dwell);
  const scenario_identity& id = model.identity;
  return {
      {document_name(id.route_name, id.train_number, "note.txt"), scenario_notes(model, stations, r, options)},
      {document_name(id.route_name, id.train_number, "rallentamenti.txt"),
       slowdown_order(model, stations, r, options.kilometres_rise)},
      {document_name(id.route_name, id.train_number, "scheda_treno.txt"),
       train_card(model, stations, r, options.kilometres_rise)},
  };
}

}  // namespace scenario::tool
