#include "model/compile.h"

#include "model/check_codes.h"
#include "model/compiled_writer.h"
#include "model/field_reader.h"
#include "model/post_processing.h"

namespace scenario {
namespace {

// Where the record at `place` stands, with its line's text; no site for
// no record.
source_site site_of(const definition_texts& texts, const record_place& place) {
  if (!place.known()) return {};
  const std::optional<std::string>& text = place.file == definition_file::line ? texts.line : texts.train;
  const std::string line(text ? text_line(*text, place.line) : std::string_view());
  const size_t key = line.find_first_not_of(" \t");
  return source_site{place.file, place.line, key == std::string::npos ? 1 : static_cast<int32_t>(key + 1), line};
}

// The reserved-field fault: cell 1 holds the object of the record that
// wrote into it.
fault_state reserved_field_fault(const scenario_model& model, fault_code code, const definition_texts& texts) {
  fault_state f;
  f.error_code = code;
  const route_cell& cell1 = model.route_cells[1];
  f.site = site_of(texts, cell1.placed_by);
  f.met = cell1.pushed_by;
  if (cell1.pushed_by.known()) {
    f.detail = "vi finisce il punto codice aggiunto per questo record, perche' la cella 2 e' occupata";
  }
  return f;
}

}  // namespace

fault_state reported_fault(const compile_outcome& outcome) {
  if (outcome.reserved != kNoFault) {
    // Only its own record's site comes with it, never an earlier fault's.
    fault_state shown = outcome.reserved_fault;
    shown.error_code = outcome.reserved;
    return shown;
  }
  return outcome.recorded;
}

bool has_route_cells(const scenario_model& model) { return model.route_cells.size() >= 2; }

bool can_write(const scenario_model& model, const compile_outcome& outcome) {
  return outcome.reserved == kNoFault && has_route_cells(model);
}

compile_outcome compile_scenario(scenario_model& model, int32_t j, const definition_texts& texts,
                                 std::vector<load_warning>* warnings, const std::function<void()>& line_read) {
  model.line_mode = j;
  for (item_entry& e : model.item_table) e = item_entry{};

  compile_outcome outcome;
  outcome.recorded = memorizza_dati(model, texts, warnings, line_read);
  if (!has_route_cells(model)) return outcome;
  // A later fault replaces an earlier one.
  if (fault_state later = aggiungi_codici(model)) {
    // The pass names records by their line alone.
    const record_place at{later.site.file, later.site.line};
    if (at.known()) later.site = site_of(texts, at);
    outcome.recorded = std::move(later);
  }
  outcome.reserved = stamp_reserved_fields(model);
  if (outcome.reserved != kNoFault) outcome.reserved_fault = reserved_field_fault(model, outcome.reserved, texts);
  return outcome;
}

fault_code stamp_reserved_fields(scenario_model& model) {
  item_entry& marks = model.item_table[kRouteItem];
  route_cell& cell1 = model.route_cells[1];
  if (marks.num1 != 0 || cell1.info1 != 0) return kFormatMarkFault;
  marks.num1 = kItemsFormatMark;
  cell1.info1 = kCellsFormatMark;

  if (marks.time_s != 0 || cell1.info2 != 0) return kCheckCodeFault;
  marks.time_s = codice_gara_st(model);
  cell1.info2 = codice_gara_og(model);
  return kNoFault;
}

compile_result memorizza_percorso(scenario_model& model, int32_t j, const definition_texts& texts,
                                  const std::string& directory) {
  compile_result result;
  compiled_files_writer writer(model, directory);
  result.outcome = compile_scenario(model, j, texts, nullptr, [&] { writer.begin_plan(); });
  if (can_write(model, result.outcome)) result.files = writer.commit();
  return result;
}

}  // namespace scenario
