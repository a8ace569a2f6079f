// First half of memorizza_dati: the line definition. General section,
// then one loop over every record: gradients per cell, the route plan from
// the curves, tunnels, the maximum-speed board and the name boards.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "model/ansi_text.h"
#include "model/load_failure.h"
#include "model/load_session.h"
#include "model/nearest.h"
#include "model/placement.h"
#include "model/record_fields.h"

namespace scenario {
namespace {

// Working values of one pass over the line definition.
struct line_pass {
  int32_t gradient_fill = 0;
  int32_t previous_gradient = 0;
  int32_t plan_counter = 2;
  // For warnings: the previous gradient and curve records.
  ascending_positions gradients;
  ascending_positions curves;
  int64_t last_curve_end = 0;
};

// Stretches of the route plan from the plan counter up to point `last`:
// straight (c = 0) or turning by curvature c. The plan keeps the stretch
// alone, joined to the one before when it turns alike; its points are
// computed when the plan is written or drawn (model/plan_generator.h).
// Throws when the plan's last point is passed. The route length record has
// already kept the plan within kMaxPlanPoints.
void plan_steps(load_session& s, line_pass& p, double c, int64_t last) {
  plan_points& plan = s.model.plan;
  int64_t m = p.plan_counter;
  if (m > last) return;
  const int64_t top = std::min<int64_t>(last, plan.last_point());
  if (top >= m) {
    m = top + 1;
    const auto end = static_cast<int32_t>(m);
    if (!plan.stretches.empty() && plan.stretches.back().curvature == c) {
      plan.stretches.back().end = end;
    } else {
      plan.stretches.push_back(plan_stretch{end, c});
    }
    plan.computed_end = end;
  }
  p.plan_counter = static_cast<int32_t>(m);
  if (m <= last) throw load_failure("il tracciato supera la fine del percorso");
}


// The gradient byte of a cell holds the gradient plus 100.
constexpr int32_t kGradientOffset = 100;
uint8_t gradient_byte(const line_pass& p) { return static_cast<uint8_t>(p.previous_gradient + kGradientOffset); }

record_result read_gradient(load_session& s, line_pass& p, field_reader& r) {
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  const int32_t gradient = r.read_long();
  const field_site gradient_site = r.last_site();
  if (!s.in_range(position, 100, s.line, at)) return record_result::leave_loop;
  if (int64_t{gradient} + kGradientOffset < 0 || int64_t{gradient} + kGradientOffset > 255) {
    throw load_failure("la pendenza " + std::to_string(gradient) +
                           " per mille non entra nel campo della cella (da -100 a 155)",
                       gradient_site.line, gradient_site.column);
  }
  if (!p.gradients.next(position)) s.warn(warning_kind::not_ascending, s.line, at, "pendenza");
  const int64_t k = nearest_whole(position / 50.0);
  if (k > 0) s.fill_cells(&p.gradient_fill, k, [&](route_cell& c) { c.gradient = gradient_byte(p); });
  p.previous_gradient = gradient;
  return record_result::next;
}

record_result read_curve(load_session& s, line_pass& p, field_reader& r, const std::string& lower_key) {
  const field_site key_site = r.last_site();
  const int32_t start = r.read_long();
  const field_site at = r.last_site();
  const int32_t length = r.read_long();
  const field_site length_site = r.last_site();
  if (!s.in_range(start, 100, s.line, at)) return record_result::leave_loop;
  const curve_key curve = read_curve_key(lower_key);
  if (curve.curve_class == 0) {
    s.refuse(kPlanFault, s.line, key_site, "la chiave non ha una cifra da 1 a 6, che da' la curvatura");
    return record_result::stop;
  }
  const double c = curve.left ? -kCurveCurvature[curve.curve_class - 1] : kCurveCurvature[curve.curve_class - 1];
  // A negative length would turn no point at all: the curve would vanish.
  if (length < 0) {
    throw load_failure("la lunghezza della curva e' negativa (" + std::to_string(length) + " m)", length_site.line,
                       length_site.column);
  }
  const int64_t end = static_cast<int64_t>(start) + length;
  // The plan ends two points before the extended length; a curve running
  // past that would have no points to turn.
  if (end > s.model.extended_length - 2) {
    s.refuse(kPlanFault, s.line, length_site,
             "la curva finisce a " + std::to_string(end) + " m, oltre la fine del tracciato, a " +
                 std::to_string(s.model.extended_length - 2) + " m");
    return record_result::stop;
  }
  if (!p.curves.next(start)) {
    s.warn(warning_kind::not_ascending, s.line, at, "curva");
  } else if (start < p.last_curve_end) {
    s.warn(warning_kind::curve_overlap, s.line, at, "curva");
  }
  if (length == 0) s.warn(warning_kind::zero_length, s.line, length_site, "curva", "la curva non cambia il tracciato");
  p.last_curve_end = end;
  plan_steps(s, p, 0.0, start);
  plan_steps(s, p, c, end);
  return record_result::next;
}

// The first earlier tunnel that covers one of the cells of `t`: its index
// in the tunnel lists, 0 for none.
int32_t overlapped_tunnel(const scenario_model& m, const tunnel_stretch& t) {
  for (int32_t j = 1; j <= m.tunnel_count && t.covers_cells(); ++j) {
    const auto i = static_cast<size_t>(j);
    const tunnel_stretch other = tunnel_cells(m, m.tunnel_starts[i], m.tunnel_ends[i], 0);
    if (other.covers_cells() && other.first <= t.last && t.first <= other.last) return j;
  }
  return 0;
}

// What a placed tunnel record leaves that an author rarely means.
void warn_tunnel(load_session& s, const tunnel_stretch& t, int32_t overlapped, const int32_t* v, const field_site* at) {
  const scenario_model& m = s.model;
  if (!t.covers_cells()) {
    s.warn(warning_kind::zero_length, s.line, at[1], "montagna",
           "la galleria da " + std::to_string(v[0]) + " a " + std::to_string(v[1]) +
               " m non copre nessuna cella di 50 m");
  }
  if (overlapped > 0) {
    const auto i = static_cast<size_t>(overlapped);
    s.warn(warning_kind::tunnel_overlap, s.line, at[0], "montagna",
           "copre celle della galleria da " + std::to_string(m.tunnel_starts[i]) + " a " +
               std::to_string(m.tunnel_ends[i]) + " m, che prendono il tipo di questa, " + std::to_string(t.type));
  }
  if (t.type_stored() && (t.type < 1 || t.type > 3)) {
    s.warn(warning_kind::unknown_tunnel_type, s.line, at[2], "montagna",
           std::to_string(v[2]) + " (salvato come " + std::to_string(t.type) +
               "): i tipi sono 1, 2 e 3, o 11, 12 e 13 con i marcatori");
  }
}

record_result read_tunnel(load_session& s, field_reader& r) {
  int32_t v[3];
  field_site at[3];
  read_longs(r, v, at, 3);
  if (!s.in_range(v[0], 100, s.line, at[0])) return record_result::leave_loop;
  // Worked out before the record joins the tunnel lists.
  const tunnel_stretch t = tunnel_cells(s.model, v[0], v[1], v[2]);
  const int32_t overlapped = overlapped_tunnel(s.model, t);
  if (!s.placed(memo_montagna(s.model, v[0], v[1], v[2]), s.line, v[0], at)) return record_result::stop;
  warn_tunnel(s, t, overlapped, v, at);
  return record_result::next;
}

record_result read_speed_board(load_session& s, field_reader& r) {
  int32_t v[9];
  field_site at[9];
  read_longs(r, v, at, 9);
  if (!s.in_range(v[0], 100, s.line, at[0])) return record_result::leave_loop;
  if (!s.placed(memo_indicatori_v_max(s.model, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8],
                                     load_session::here(s.line)),
                s.line, v[0], at)) {
    return record_result::stop;
  }
  return record_result::next;
}

record_result read_name_board(load_session& s, field_reader& r) {
  const int32_t position = r.read_long();
  const field_site at = r.last_site();
  const std::string text = r.read_text();
  if (!s.in_range(position, 100, s.line, at)) return record_result::leave_loop;
  // Board texts fill the item table from entry 80 down; entry 0 is never one.
  if (s.board_counter < 1) {
    s.refuse(kTableFullFault, s.line, at);
    return record_result::stop;
  }
  route_cell& c = s.cell(cell_of(position));
  if (!is_free(c)) {
    s.refuse(kIndicatorTakenFault, position, s.line, at, "", c.placed_by);
    return record_result::stop;
  }
  c.kind = kIndicatorBoard;
  c.placed_by = load_session::here(s.line);
  c.info1 = static_cast<int16_t>(s.board_counter);
  s.model.item_table[s.board_counter].text = text;
  --s.board_counter;
  return record_result::next;
}

// Every record after the general section.
record_result read_records(load_session& s, line_pass& p) {
  field_reader& r = *s.line.reader;
  record_key key;
  while (s.next_record_key(s.line, &key)) {
    const std::string& k = key.lower;
    bool curve_dropped = false;
    const record_result result = s.read_record(s.line, [&] {
      record_result done = record_result::next;
      const auto go_on = [&] { return done == record_result::next; };
      // A key that passes the tests of several kinds is read as each in
      // turn, until one stops the loop.
      for (const record_kind* kind : kinds_for_key(key.text, definition_file::line, false)) {
        if (!go_on()) break;
        // Without a route plan to build, curves are not read at all.
        if (kind->id == record_id::curve && s.model.line_mode == 0) {
          curve_dropped = true;
          continue;
        }
        s.count_match(s.line, key, placed_object(kind->id));
        switch (kind->id) {
          case record_id::gradient: done = read_gradient(s, p, r); break;
          case record_id::curve: done = read_curve(s, p, r, k); break;
          case record_id::tunnel: done = read_tunnel(s, r); break;
          case record_id::speed_board: done = read_speed_board(s, r); break;
          case record_id::name_board: done = read_name_board(s, r); break;
          default: break;  // a kind of the general section or the train: never found here
        }
      }
      return done;
    });
    if (result != record_result::next) return result;
    // Curve records are dropped on purpose when no plan is built.
    s.after_record(s.line, key, curve_dropped);
  }
  return record_result::leave_loop;
}

// After the last record: the last gradient up to the route's end and the
// plan straight to its end.
void finish_line_definition(load_session& s, line_pass& p) {
  scenario_model& m = s.model;
  s.close(s.line);
  s.require_cells(s.line);
  s.fill_cells(&p.gradient_fill, m.last_cell - 2, [&](route_cell& c) { c.gradient = gradient_byte(p); });
  if (m.line_mode != 0) {
    plan_steps(s, p, 0.0, m.extended_length - 2);
  }
}

}  // namespace

bool load_line_definition(load_session& s) {
  scenario_model& m = s.model;
  s.open(s.line);
  if (!find_general_header(s.line)) {
    const bool blank = (*s.line.text)->find_first_not_of(" \t\r\n") == std::string::npos;
    s.refuse(kNoGeneralSectionFault, s.line, field_site{}, blank ? "il file e' vuoto" : "");
    return false;
  }
  if (!read_general_section(s)) return false;
  if (const refusal r = progressive_ordina(m)) throw load_failure(r.detail);

  m.tunnel_count = 0;
  s.board_counter = kFirstBoardItem;
  line_pass p;
  if (m.line_mode != 0) {
    if (!m.plan.sized) s.no_route_length(field_site{});
    m.plan.start_set = true;  // (0, 0) and (0, 1)
  }
  if (read_records(s, p) == record_result::stop) return false;
  finish_line_definition(s, p);
  return true;
}

}  // namespace scenario
