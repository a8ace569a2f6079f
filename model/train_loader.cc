// Second half of memorizza_dati: the train definition. Speed limit and
// adhesion per cell, the train's settings, signals and slowdowns, code
// points and the stations with their stretches, stop cells and approach
// marks; then the final check of the kilometric progressions.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ansi_text.h"
#include "model/compiled_fields.h"
#include "model/load_failure.h"
#include "model/load_session.h"
#include "model/record_fields.h"
#include "model/nearest.h"
#include "model/placement.h"
#include "model/record_keys.h"

namespace scenario {
namespace {

// A station's scheduled time, as written and where.
struct station_time {
  int64_t seconds = 0;  // from midnight
  int64_t hours = 0, minutes = 0, secs = 0;
  source_site site;     // the hours field
  std::string name;
};

struct train_pass {
  int32_t station_counter = 1;
  // For the warnings about what is missing: records of these kinds met,
  // whether or not they could be read.
  bool any_record = false;
  bool speed_record = false;
  bool station_record = false;
  int32_t speed_fill = 0;
  int32_t adhesion_fill = 0;
  int32_t previous_speed = 0;
  int32_t previous_adhesion = 0;
  // For warnings.
  ascending_positions speeds, adhesions, stations;
  std::vector<station_time> times;  // the stations with a time, in file order
  // Where the warnings about a missing kind of record point: the section
  // that should hold it, else the definition's first section.
  field_site first_section{1, 1};
  field_site speed_section;
  field_site station_section;
};

// The speed limit byte of a cell: the speed in steps of 5 km/h.
int64_t speed_steps(int32_t speed) { return nearest_whole(speed / 5.0); }
uint8_t speed_byte(const train_pass& p) { return static_cast<uint8_t>(speed_steps(p.previous_speed)); }
uint8_t adhesion_byte(const train_pass& p) { return static_cast<uint8_t>(p.previous_adhesion); }

record_result read_speed(load_session& s, train_pass& p, field_reader& r) {
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  const int32_t speed = r.read_long();
  const field_site speed_site = r.last_site();
  if (!s.in_range(position, 100, s.train, at)) return record_result::leave_loop;
  if (speed_steps(speed) < 0 || speed_steps(speed) > 255) {
    throw load_failure("la velocita' " + std::to_string(speed) +
                           " km/h non entra nel campo della cella (da 0 a 1277 km/h, a passi di 5)",
                       speed_site.line, speed_site.column);
  }
  if (!p.speeds.next(position)) s.warn(warning_kind::not_ascending, s.train, at, "velocita");
  if (speed_steps(speed) == 0) {
    s.warn(warning_kind::zero_speed, s.train, speed_site, "velocita",
           "il treno non puo' muoversi da " + std::to_string(position) + " m" +
               (speed != 0 ? " (" + std::to_string(speed) + " km/h e' salvato come 0)" : ""));
  }
  const int64_t k = nearest_whole(position / 50.0);
  if (k > 0) s.fill_cells(&p.speed_fill, k, [&](route_cell& c) { c.speed_limit = speed_byte(p); });
  p.previous_speed = speed;
  return record_result::next;
}

record_result read_adhesion(load_session& s, train_pass& p, field_reader& r) {
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  const int32_t value = r.read_long();
  const field_site value_site = r.last_site();
  if (!s.in_range(position, 100, s.train, at)) return record_result::leave_loop;
  if (value < 0 || value > 255) {
    throw load_failure("l'aderenza " + std::to_string(value) + " non entra nel campo della cella (da 0 a 255)",
                       value_site.line, value_site.column);
  }
  if (!p.adhesions.next(position)) s.warn(warning_kind::not_ascending, s.train, at, "aderenza");
  const int64_t k = nearest_whole(position / 50.0);
  if (k > 0) s.fill_cells(&p.adhesion_fill, k, [&](route_cell& c) { c.adhesion = adhesion_byte(p); });
  p.previous_adhesion = value;
  return record_result::next;
}

record_result read_signal(load_session& s, field_reader& r) {
  int32_t v[11];
  field_site at[11];
  read_longs(r, v, at, 11);
  if (!s.in_range(v[0], 100, s.train, at[0])) return record_result::leave_loop;
  const refusal refused = memo_segnale(s.model, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                                       load_session::here(s.train));
  if (!s.placed(refused, s.train, v[0], at)) return record_result::stop;
  if (const int left_out = approach_marks_left_out(v[0]); left_out > 0) {
    std::string marks;
    for (int j = 5 - left_out; j <= 4; ++j) marks += (marks.empty() ? "" : j == 4 ? " e " : ", ") + std::to_string(j * 100);
    s.warn(warning_kind::marks_left_out, s.train, at[0], "segnale",
           "mancano i preavvisi a " + marks + " m prima del segnale a " + std::to_string(v[0]) + " m");
  }
  return record_result::next;
}

record_result read_slowdown(load_session& s, field_reader& r) {
  int32_t v[6];
  field_site at[6];
  read_longs(r, v, at, 6);
  if (!s.in_range(v[0], 100, s.train, at[0])) return record_result::leave_loop;
  if (!s.placed(memo_rallentamento(s.model, v[0], v[1], v[2], v[3], v[4], v[5], load_session::here(s.train)), s.train,
                v[0], at)) {
    return record_result::stop;
  }
  if (v[1] == 0) s.warn(warning_kind::zero_speed, s.train, at[1], "rallentamento", "il rallentamento ferma il treno");
  if (v[2] == 0) {
    s.warn(warning_kind::zero_length, s.train, at[2], "rallentamento",
           "inizio e fine cadono nella stessa cella: il rallentamento non ha una cella di fine");
  }
  const int32_t route_length = s.model.item_table[kTrainItem].end;
  const int64_t end = int64_t{v[0]} + v[2];
  // A start past the route's end has been warned about already.
  if (v[0] <= route_length && end > route_length) {
    s.warn(warning_kind::beyond_route_end, s.train, at[2], "rallentamento",
           "il rallentamento finisce a " + std::to_string(end) + " m su un percorso di " +
               std::to_string(route_length) + " m");
  }
  return record_result::next;
}

record_result read_code_point(load_session& s, field_reader& r) {
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  const int32_t value = r.read_long();
  const field_site value_site = r.last_site();
  if (!s.in_range(position, 100, s.train, at)) return record_result::leave_loop;
  route_cell& c = s.cell(nearest_whole(position / 50.0));
  if (!is_free(c)) {
    s.refuse(kCodePointTakenFault, position, s.train, at, "", c.placed_by);
    return record_result::stop;
  }
  if (value > 65535) {
    s.warn(warning_kind::low_bits_only, s.train, value_site, "abbattimento",
           std::to_string(value) + " e' salvato come " + std::to_string(value & 0xFFFF));
  }
  c.placed_by = load_session::here(s.train);
  if (value > 0) {
    c.kind = kCodePoint;
    c.info1 = static_cast<int16_t>(value);
  } else {
    c.kind = kCodeCut;
  }
  return record_result::next;
}

int32_t to_long(int64_t v, const field_site& at, const char* what) {
  if (v < INT32_MIN || v > INT32_MAX) throw load_failure(std::string(what) + " fuori dall'intervallo", at.line, at.column);
  return static_cast<int32_t>(v);
}

record_result read_station(load_session& s, train_pass& p, field_reader& r) {
  scenario_model& m = s.model;
  // Stations and board texts share entries 1 to 80; a station may never
  // take the entry of a board text (those above the board counter).
  if (p.station_counter > s.board_counter) {
    s.refuse(kTableFullFault, s.train, r.last_site());
    return record_result::stop;
  }
  item_entry& e = m.item_table[p.station_counter];
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  e.position = position;
  if (!s.in_range(position, 800, s.train, at)) return record_result::leave_loop;
  if (position % 50 != 0) {
    s.refuse(kStationPositionFault, position, s.train, at);
    return record_result::stop;
  }
  e.kind = r.read_byte();
  const int32_t length = r.read_long();
  const field_site length_site = r.last_site();
  // A stretch that would end before it begins, as for tunnels and slowdowns.
  if (length < 0) {
    throw load_failure("la lunghezza della stazione e' negativa (" + std::to_string(length) +
                           " m): il suo tratto finirebbe prima di cominciare",
                       length_site.line, length_site.column);
  }
  if (length % 100 != 0) {
    s.refuse(kStationLengthFault, position, s.train, length_site, std::to_string(length) + " m");
    return record_result::stop;
  }
  for (const station_setting& setting : station_settings()) {
    setting.set(e, setting.bits == 8 ? int32_t{r.read_byte()} : int32_t{r.read_integer()});
  }
  const int64_t hours = r.read_long();
  const field_site time_site = r.last_site();
  const int64_t minutes = r.read_long();
  const int64_t seconds = r.read_long();
  if (hours < 0 || hours >= 24 || minutes < 0 || minutes >= 60 || seconds < 0 || seconds >= 60) {
    s.warn(warning_kind::time_out_of_range, s.train, time_site, "",
           std::to_string(hours) + ", " + std::to_string(minutes) + ", " + std::to_string(seconds) +
               ": le ore vanno da 0 a 23, i minuti e i secondi da 0 a 59");
  }
  e.time_s = to_long((hours * 60 + minutes) * 60 + seconds, time_site, "l'orario");
  e.text = r.read_text();

  const int64_t pos = position;
  if (e.kind == 5 || e.kind == 6) {
    e.end = to_long(pos + 150, length_site, "il tratto della stazione");
    e.start = to_long(pos - length, length_site, "il tratto della stazione");
    e.byte3 = 0;
  } else if (e.kind == 7 || e.kind == 8) {
    e.start = to_long(pos - length, length_site, "il tratto della stazione");
    e.end = to_long(pos + length, length_site, "il tratto della stazione");
    e.byte3 = 0;
  } else {
    e.start = to_long(nearest_whole(static_cast<double>(pos) - length / 2.0), length_site, "il tratto della stazione");
    e.end = to_long(nearest_whole(static_cast<double>(pos) + length / 2.0) + (e.byte3 != 0 ? 50 : 0), length_site,
                    "il tratto della stazione");
  }
  if (length < 600) e.byte4 = 0;
  if (p.station_counter == 1) {
    e.byte3 = 0;
    e.byte4 = 0;
  }
  // The stop cell is the highest cell a station marks; a stretch ending
  // beyond the route cells has nowhere to put it.
  if (e.kind < 25 && nearest_whole(e.end / 50.0 - 1) > m.last_cell) {
    s.record(kOutsideRouteFault, position, s.train, length_site);
    return record_result::leave_loop;
  }
  if (e.kind < 25 && e.kind != 5 && e.kind != 6) {
    for (int j = 1; j <= 4; ++j) {
      const double t = e.end / 50.0 - j - 1;
      if (t > 1) s.cell(nearest_whole(t)).approach_mark = static_cast<uint8_t>(80 + j);
    }
  }
  if (e.kind < 25) {
    const double t = e.end / 50.0 - 1;
    if (!(t > 1)) {
      s.refuse(kStopCellFault, s.train, at);
      return record_result::stop;
    }
    route_cell& stop = s.cell(nearest_whole(t));
    stop.kind = kStopCell;
    stop.placed_by = load_session::here(s.train);
    stop.info1 = static_cast<int16_t>(p.station_counter);
  }
  if (p.station_counter > 1 && static_cast<int64_t>(e.start) - 350 < m.item_table[p.station_counter - 1].end) {
    const item_entry& before = m.item_table[p.station_counter - 1];
    // Out of order, the distance is not what is wrong.
    const std::string order =
        position <= before.position ? "le stazioni vanno scritte in ordine di posizione, e la precedente, " +
                                          before.text + ", e' a " + std::to_string(before.position) + " m"
                                    : "";
    s.refuse(kStationGapFault, position, s.train, at, order);
    return record_result::stop;
  }
  if (!p.stations.next(position)) s.warn(warning_kind::not_ascending, s.train, at, "stazione");
  if (length == 0) {
    s.warn(warning_kind::zero_length, s.train, length_site, "stazione",
           "la stazione a " + std::to_string(position) + " m ha lunghezza 0: il suo tratto va da " +
               std::to_string(e.start) + " a " + std::to_string(e.end) + " m");
  }
  if (e.time_s != 0) {
    p.times.push_back(station_time{e.time_s, hours, minutes, seconds,
                                   source_site{definition_file::train, time_site.line, time_site.column,
                                               std::string(r.line_text(time_site.line))},
                                   e.text});
  }
  ++p.station_counter;
  if (p.station_counter >= s.board_counter) {
    s.refuse(kTableFullFault, s.train, at);
    return record_result::stop;
  }
  return record_result::next;
}

std::string clock_time(int64_t seconds) {
  const int64_t m = seconds / 60 % 60, sec = seconds % 60;
  return std::to_string(seconds / 3600) + (m < 10 ? ":0" : ":") + std::to_string(m) + (sec < 10 ? ":0" : ":") +
         std::to_string(sec);
}

// Whether the station at `i` of `t` would stand in order with its
// hours and minutes exchanged: the likely slip of a time that jumps ahead.
bool in_order_swapped(const std::vector<station_time>& t, size_t i) {
  const station_time& x = t[i];
  if (x.minutes >= 24 || x.hours >= 60) return false;
  const int64_t swapped = (x.minutes * 60 + x.hours) * 60 + x.secs;
  return (i == 0 || t[i - 1].seconds <= swapped) && (i + 1 == t.size() || swapped <= t[i + 1].seconds);
}

// Each place where the timetable goes back in time is warned about at the
// station whose time is out of line: the earlier of the two when it stands
// above both its neighbours' times while the later one follows on from the
// time before (an exchange of hours and minutes makes one station jump
// ahead), else the later one, where the time goes back.
void warn_times_out_of_order(load_session& s, const train_pass& p) {
  const std::vector<station_time>& t = p.times;
  size_t last_warned = t.size();
  for (size_t b = 1; b < t.size(); ++b) {
    const size_t a = b - 1;
    if (t[b].seconds >= t[a].seconds) continue;
    const bool later_out = (b + 1 < t.size() && t[b + 1].seconds >= t[a].seconds) ||
                           (a >= 1 && t[a - 1].seconds > t[b].seconds);
    const bool earlier_out = (a >= 1 && t[a - 1].seconds <= t[b].seconds) ||
                             (b + 1 < t.size() && t[b + 1].seconds < t[a].seconds);
    const size_t culprit = earlier_out && !later_out ? a : b;
    if (culprit == last_warned) continue;
    last_warned = culprit;
    const size_t other = culprit == a ? b : a;
    std::string detail = clock_time(t[culprit].seconds) + (culprit == a ? ", dopo le " : ", prima delle ") +
                         clock_time(t[other].seconds) + " di " + ansi_to_utf8(t[other].name) +
                         (culprit == a ? ", la stazione seguente" : ", la stazione precedente");
    if (culprit == a && in_order_swapped(t, culprit)) {
      detail += "; forse ore e minuti sono scambiati: " + std::to_string(t[culprit].minutes) + ", " +
                std::to_string(t[culprit].hours);
    }
    s.warn(warning_kind::times_backwards, t[culprit].site, t[culprit].name, detail);
  }
}

record_result read_records(load_session& s, train_pass& p) {
  field_reader& r = *s.train.reader;
  scenario_model& m = s.model;
  record_key key;
  while (s.next_record_key(s.train, &key)) {
    if (key.lower == "[vel_limite]" && p.speed_section.line == 0) p.speed_section = key.at;
    if (key.lower == "[stazioni]" && p.station_section.line == 0) p.station_section = key.at;
    const record_result result = s.read_record(s.train, [&] {
      record_result done = record_result::next;
      const auto go_on = [&] { return done == record_result::next; };
      // A key that passes the tests of several kinds is read as each in
      // turn, until one stops the loop.
      for (const record_kind* kind : kinds_for_key(key.text, definition_file::train, false)) {
        if (!go_on()) break;
        s.count_match(s.train, key, placed_object(kind->id));
        switch (kind->id) {
          case record_id::braked_mass: m.item_table[kTrainItem].start = r.read_long(); break;
          case record_id::cars: m.item_table[kTrainItem].position = r.read_long(); break;
          case record_id::speed:
            p.speed_record = true;
            done = read_speed(s, p, r);
            break;
          case record_id::adhesion: done = read_adhesion(s, p, r); break;
          case record_id::clock: {
            item_entry& e = m.item_table[kRepeatItem];
            e.num3 = r.read_integer();
            e.num4 = r.read_integer();
            e.num5 = r.read_integer();
            break;
          }
          case record_id::sand: m.item_table[kRepeatItem].num1 = r.read_integer(); break;
          case record_id::signal: done = read_signal(s, r); break;
          case record_id::slowdown: done = read_slowdown(s, r); break;
          case record_id::code_point: done = read_code_point(s, r); break;
          case record_id::station:
            p.station_record = true;
            done = read_station(s, p, r);
            break;
          default: break;  // a kind of the line definition: never found here
        }
      }
      return done;
    });
    if (key.matches > 0) p.any_record = true;
    if (result != record_result::next) return result;
    s.after_record(s.train, key);
  }
  return record_result::leave_loop;
}

// After the last record: the rest of the speed limit and adhesion up to
// the route's end, then the kilometric progressions.
void finish_train_definition(load_session& s, train_pass& p) {
  scenario_model& m = s.model;
  s.close(s.train);
  s.fill_cells(&p.speed_fill, m.last_cell - 2, [&](route_cell& c) { c.speed_limit = speed_byte(p); });
  s.fill_cells(&p.adhesion_fill, m.last_cell - 2, [&](route_cell& c) { c.adhesion = adhesion_byte(p); });
  for (int i : {kProgressionTre, kProgressionDue, kProgressionUno}) {
    if (m.item_table[i].start % 50 != 0 || m.item_table[i].end % 50 != 0) {
      // Found after every other fault, it replaces the one recorded last;
      // it names no position and keeps that fault's.
      fault_state f = s.off_grid_progression;
      f.error_code = kProgressionFault;
      f.error_position = s.fault.error_position;
      s.record(f);
      break;
    }
  }
}

}  // namespace

void load_train_definition(load_session& s) {
  s.open(s.train);
  field_reader& r = *s.train.reader;
  train_pass p;
  while (!r.ended()) {
    if (starts_reading(r.read_text())) {
      p.first_section = r.last_site();
      break;
    }
  }
  const record_result read = read_records(s, p);
  warn_times_out_of_order(s, p);
  if (read == record_result::stop) return;
  if (!p.any_record) {
    // A train of nothing would compile to no station and speed 0
    // everywhere. It does not hide a fault found before it.
    s.record_unless_found(kReadFault, s.train, field_site{1, 1},
                          "la definizione del treno non ha nessun record: servono almeno le stazioni e i limiti di "
                          "velocita'");
  } else {
    // A train definition without them compiles, but drives nowhere.
    if (!p.station_record) {
      s.warn(warning_kind::no_station, s.train, p.station_section.line > 0 ? p.station_section : p.first_section, "");
    }
    if (!p.speed_record) {
      s.warn(warning_kind::no_speed_limit, s.train, p.speed_section.line > 0 ? p.speed_section : p.first_section, "",
             "ogni cella avrebbe velocita' 0");
    }
  }
  finish_train_definition(s, p);
}

}  // namespace scenario
