#include "model/compile.h"

#include "model/check_codes.h"
#include "model/compiled_writer.h"
#include "model/post_processing.h"

namespace scenario {

fault_state reported_fault(const compile_outcome& outcome) {
  if (outcome.reserved != kNoFault) {
    // It belongs to no record: an earlier fault's site must not come with it.
    fault_state shown;
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
  if (fault_state later = aggiungi_codici(model)) outcome.recorded = std::move(later);
  outcome.reserved = stamp_reserved_fields(model);
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
