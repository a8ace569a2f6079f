// The route cells file, one record per 50 m, in words, CSV or JSON.
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "model/compiled_fields.h"
#include "tool/dump/views.h"
#include "tool/report_json.h"

namespace scenario::tool {
namespace {

bool is_blank(const route_cell& c) {
  return c.kind == 0 && c.info1 == 0 && c.info2 == 0 && c.info3 == 0 && c.info4 == 0 && c.signal_time == 0 &&
         c.approach_mark == 0 && c.tunnel_kind == 0 && c.speed_limit == 0 && c.gradient == 0 && c.adhesion == 0;
}

std::array<int16_t, 4> infos(const route_cell& c) { return {c.info1, c.info2, c.info3, c.info4}; }

int64_t metre_of(size_t cell) { return static_cast<int64_t>(cell) * 50; }

std::string cell_line(const route_cell& c, size_t index) {
  char columns[48];
  std::snprintf(columns, sizeof columns, "%5zu  %7lld m  ", index, static_cast<long long>(metre_of(index)));
  std::ostringstream line;
  line << columns << cell_kind_name(c.kind);
  const auto info = infos(c);
  const auto fields = info_fields(c.kind, index);
  for (size_t i = 0; i < info.size(); ++i) {
    if (fields[i] != nullptr) {
      line << " " << fields[i]->label << "=" << info[i];
    } else if (info[i] != 0) {
      line << " info" << i + 1 << "=" << info[i];
    }
  }
  if (c.kind == kSignal || c.signal_time != 0) line << " tempo=" << int{c.signal_time};
  line << " |";
  if (c.approach_mark != 0) line << " marca=" << int{c.approach_mark};
  if (c.tunnel_kind != 0) line << " galleria=" << int{c.tunnel_kind};
  const int gradient = gradient_per_mille(c);
  line << " velocita'=" << speed_limit_kmh(c) << "km/h pendenza=" << (gradient > 0 ? "+" : "") << gradient
       << " aderenza=" << int{c.adhesion};
  return line.str();
}

std::map<uint8_t, int> count_kinds(const std::vector<route_cell>& cells, const dump_options& o) {
  std::map<uint8_t, int> counts;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (o.in_stretch(metre_of(i))) ++counts[cells[i].kind];
  }
  return counts;
}

void cells_text(const std::string& path, const std::vector<route_cell>& cells, const dump_options& o,
                std::ostream& out) {
  out << "celle di " << path << ": " << cells.size() << " da 50 m (0-" << cells.size() - 1
      << "); una riga per cella non vuota";
  if (o.stretch()) {
    out << ", da " << (o.from ? std::to_string(*o.from) : "0") << " a "
        << (o.to ? std::to_string(*o.to) : std::to_string(metre_of(cells.size() - 1))) << " m";
  }
  out << "\ncella  posizione  tipo e campi | marca, galleria, velocita', pendenza, aderenza\n";
  size_t shown = 0;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!o.in_stretch(metre_of(i))) continue;
    ++shown;
    if (!is_blank(cells[i])) out << cell_line(cells[i], i) << "\n";
  }
  out << "totale " << shown << " celle:";
  const char* sep = " ";
  for (const auto& [kind, count] : count_kinds(cells, o)) {
    out << sep << cell_kind_name(kind) << " " << count;
    sep = ", ";
  }
  out << "\n";
}

void cells_csv(const std::vector<route_cell>& cells, const dump_options& o, std::ostream& out) {
  out << "cell,position,kind,info1,info2,info3,info4,signal_time,approach_mark,tunnel_kind,speed_limit,gradient,"
         "adhesion,kind_name,speed_limit_kmh,gradient_per_mille\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!o.in_stretch(metre_of(i))) continue;
    const route_cell& c = cells[i];
    out << i << "," << metre_of(i) << "," << int{c.kind} << "," << c.info1 << "," << c.info2 << "," << c.info3
        << "," << c.info4 << "," << int{c.signal_time} << "," << int{c.approach_mark} << "," << int{c.tunnel_kind}
        << "," << int{c.speed_limit} << "," << int{c.gradient} << "," << int{c.adhesion} << ","
        << cell_kind_name(c.kind) << "," << speed_limit_kmh(c) << "," << gradient_per_mille(c) << "\n";
  }
}

nlohmann::ordered_json cell_json(const route_cell& c, size_t i) {
  nlohmann::ordered_json j;
  j["cell"] = i;
  j["position"] = metre_of(i);
  j["kind"] = c.kind;
  j["kind_name"] = cell_kind_name(c.kind);
  const auto info = infos(c);
  const char* raw[] = {"info1", "info2", "info3", "info4"};
  for (size_t k = 0; k < info.size(); ++k) j[raw[k]] = info[k];
  // The same values under the names their kind gives them.
  nlohmann::ordered_json named = nlohmann::ordered_json::object();
  const auto fields = info_fields(c.kind, i);
  for (size_t k = 0; k < info.size(); ++k) {
    if (fields[k] != nullptr) named[fields[k]->key] = info[k];
  }
  j["fields"] = named;
  j["signal_time"] = c.signal_time;
  j["approach_mark"] = c.approach_mark;
  j["tunnel_kind"] = c.tunnel_kind;
  j["speed_limit"] = c.speed_limit;
  j["speed_limit_kmh"] = speed_limit_kmh(c);
  j["gradient"] = c.gradient;
  j["gradient_per_mille"] = gradient_per_mille(c);
  j["adhesion"] = c.adhesion;
  return j;
}

void cells_json(const std::string& path, const std::vector<route_cell>& cells, const dump_options& o,
                std::ostream& out) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (size_t i = 0; i < cells.size(); ++i) {
    if (o.in_stretch(metre_of(i)) && !is_blank(cells[i])) list.push_back(cell_json(cells[i], i));
  }
  nlohmann::ordered_json counts = nlohmann::ordered_json::object();
  for (const auto& [kind, count] : count_kinds(cells, o)) counts[cell_kind_name(kind)] = count;
  nlohmann::ordered_json report;
  report["file"] = path;
  report["type"] = "route_cells";
  report["cell_count"] = cells.size();
  report["cells"] = list;
  report["counts"] = counts;
  print_json(out, report);
}

}  // namespace

void dump_cells(const std::string& path, const std::vector<route_cell>& cells, const dump_options& o,
                std::ostream& out) {
  switch (o.form) {
    case dump_form::text: cells_text(path, cells, o, out); break;
    case dump_form::csv: cells_csv(cells, o, out); break;
    case dump_form::json: cells_json(path, cells, o, out); break;
  }
}

}  // namespace scenario::tool
