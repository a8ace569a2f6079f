// Decoding of record field values for the author: what a number stands
// for along the line, worked out with the cell formulas of the placement.
#include <cstdio>
#include <string>

#include "model/ansi_text.h"
#include "model/nearest.h"
#include "model/record_fields.h"

namespace scenario {
namespace {

constexpr int64_t kExtension = 7000;  // cells and plan run this far past the route

std::string cell_text(int64_t cell) { return "cella " + std::to_string(cell); }

std::optional<int64_t> value_at(const record_values& values, size_t index) {
  return index < values.size() ? values[index] : std::nullopt;
}

// The value of the first field of `kind` named `name`.
std::optional<int64_t> named(const record_kind& kind, const record_values& values, std::string_view name) {
  for (size_t i = 0; i < kind.fields.size(); ++i) {
    if (kind.fields[i].name == name) return value_at(values, i);
  }
  return std::nullopt;
}

// The stop cell of a station, from its position, kind, length and S3, as
// the train loader computes its stretch.
std::string station_cells(const record_kind& kind, const record_values& values, int64_t position) {
  const auto type = named(kind, values, "tipo");
  const auto length = named(kind, values, "lunghezza");
  const auto s3 = named(kind, values, "S3");
  if (!type || !length) return cell_text(cell_of(position));
  if (*type >= 25) return "nessuna cella di fermata (tipo da 25 in su)";
  int64_t end = 0;
  if (*type == 5 || *type == 6) {
    end = position + 150;
  } else if (*type == 7 || *type == 8) {
    end = position + *length;
  } else {
    end = nearest_whole(static_cast<double>(position) + static_cast<double>(*length) / 2.0) +
          (s3.value_or(0) != 0 ? 50 : 0);
  }
  return "cella di fermata " + std::to_string(nearest_whole(static_cast<double>(end) / 50.0 - 1.0)) +
         " (fine del tratto a " + std::to_string(end) + " m)";
}

std::string position_text(const record_kind& kind, const record_field& field, const record_values& values,
                          int64_t p) {
  std::string text = std::to_string(p) + " m, " + kilometre_text(p);
  const double q = static_cast<double>(p);
  switch (field.cells) {
    case cell_rule::none: break;
    case cell_rule::point: text += ", " + cell_text(cell_of(p)); break;
    case cell_rule::from_cell: text += ", vale dalla " + cell_text(nearest_whole(q / 50.0)); break;
    case cell_rule::code_point: text += ", " + cell_text(nearest_whole(q / 50.0)); break;
    case cell_rule::tunnel_start: text += ", prima " + cell_text(nearest_whole(q / 50.0)); break;
    case cell_rule::tunnel_end: text += ", ultima " + cell_text(nearest_whole(q / 50.0 - 1.0)); break;
    case cell_rule::station: text += ", " + station_cells(kind, values, p); break;
    case cell_rule::route_length:
      text += ", celle da 0 a " + std::to_string(nearest_whole((q + kExtension) / 50.0));
      break;
  }
  // A slowdown also marks its end and, beyond 1500 m, its warning board.
  if (field.cells == cell_rule::point && std::string_view(kind.key) == "rallentamento") {
    if (const auto l = named(kind, values, "l")) text += "; fine nella " + cell_text(cell_of(p + *l));
    if (p > 1500) text += "; avviso a " + std::to_string(p - 1200) + " m, " + cell_text(cell_of(p - 1200));
  }
  return text;
}

std::string two_digits(int64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02lld", static_cast<long long>(v));
  return buf;
}

// The three fields of a time of day, from whichever of them is asked.
std::string time_text(const record_kind& kind, const record_values& values) {
  std::optional<int64_t> h, m, s;
  for (size_t i = 0; i < kind.fields.size(); ++i) {
    if (kind.fields[i].unit == field_unit::hour) h = value_at(values, i);
    if (kind.fields[i].unit == field_unit::minute) m = value_at(values, i);
    if (kind.fields[i].unit == field_unit::second) s = value_at(values, i);
  }
  if (!h || !m || !s) return "";
  std::string text = "ore " + two_digits(*h) + ":" + two_digits(*m) + ":" + two_digits(*s);
  if (*h == 0 && *m == 0 && *s == 0 && std::string_view(kind.key) == "stazione") text += " (nessun orario)";
  return text;
}

std::string gradient_text(int64_t g) {
  std::string text = std::to_string(g) + " per mille";
  if (g > 0) return text + ", in salita";
  if (g < 0) return text + ", in discesa";
  return text + ", in piano";
}

}  // namespace

std::string kilometre_text(int64_t metres) {
  const int64_t a = metres < 0 ? -metres : metres;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld,%03lld", metres < 0 ? "-" : "", static_cast<long long>(a / 1000),
                static_cast<long long>(a % 1000));
  return buf;
}

std::string decode_field(const record_kind& kind, size_t index, const record_values& values) {
  if (index >= kind.fields.size()) return "";
  const record_field& field = kind.fields[index];
  if (field.unit == field_unit::text) return "";
  const auto v = value_at(values, index);
  if (!v) return "";
  switch (field.unit) {
    case field_unit::position: return position_text(kind, field, values, *v);
    case field_unit::length: return std::to_string(*v) + " m";
    case field_unit::kilometre_value: {
      std::string text = kilometre_text(*v);
      if (named(kind, values, "segnalino") == 1) text += " (con il segnalino 1: " + kilometre_text(*v + 100) + ")";
      return text;
    }
    case field_unit::speed: {
      std::string text = std::to_string(*v) + " km/h";
      if (std::string_view(kind.key) == "velocita") {
        text += ", salvata come " + std::to_string(nearest_whole(static_cast<double>(*v) / 5.0)) + " (passi di 5 km/h)";
      }
      return text;
    }
    case field_unit::gradient: return gradient_text(*v);
    case field_unit::hour:
    case field_unit::minute:
    case field_unit::second: return time_text(kind, values);
    case field_unit::number:
    case field_unit::text: break;
  }
  return std::to_string(*v);
}

std::string decode_key(const record_kind& kind, std::string_view key) {
  const std::string lower = to_lower_ansi(key);
  if (std::string_view(kind.key) == "curva") {
    const curve_key curve = read_curve_key(lower);
    const std::string side = curve.left ? "a sinistra" : "a destra";
    if (curve.curve_class == 0) return "curva " + side + " senza cifra da 1 a 6: la chiave e' un errore";
    return "curva " + side + ", raggio " + kCurveRadius[curve.curve_class - 1] + " m";
  }
  if (std::string_view(kind.key) == "ripetizione segnali 4 codici") {
    const int codes = repeat_codes_of_key(lower);
    if (codes == 0) return "la chiave non dice ne' 4 ne' 9 codici";
    return std::to_string(codes) + " codici";
  }
  return "";
}

curve_key read_curve_key(std::string_view lower_key) {
  curve_key curve;
  curve.left = lower_key.find('s') != std::string_view::npos;
  for (char digit = '1'; digit <= '6'; ++digit) {
    if (lower_key.find(digit) != std::string_view::npos) {
      curve.curve_class = digit - '0';
      break;
    }
  }
  return curve;
}

int repeat_codes_of_key(std::string_view lower_key) {
  if (lower_key.find('4') != std::string_view::npos) return 4;
  if (lower_key.find('9') != std::string_view::npos) return 9;
  return 0;
}

}  // namespace scenario
