#include "model/compile.h"

#include "model/binary_files.h"
#include "model/check_codes.h"
#include "model/file_names.h"
#include "model/output_files.h"
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
                                 std::vector<load_warning>* warnings) {
  model.line_mode = j;
  for (item_entry& e : model.item_table) e = item_entry{};

  compile_outcome outcome;
  outcome.recorded = memorizza_dati(model, texts, warnings);
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

std::vector<std::string> write_compiled_files(const scenario_model& model, const std::string& directory) {
  output_set out(directory);
  const std::string items_name = item_table_name(model.identity.route_name, model.identity.train_number);
  const std::string cells_name = route_cells_name(model.identity.route_name, model.identity.train_number);
  if (model.line_mode == 0) {
    out.write(items_name, [&](const chunk_writer& w) { encode_item_table(model, w); });
    out.write(cells_name, [&](const chunk_writer& w) { encode_route_cells(model, w); });
    return out.commit();
  }
  // The plan is computed on a second thread while its pieces are written.
  // That thread then encodes the two small files as well, while the last
  // pieces are still being written, so this one only writes them.
  std::string items, cells;
  out.write_pieces(route_plan_name(model.identity.route_name), 2 * route_plan_run_bytes(model.plan),
                   [&](const piece_writer& w) {
                     encode_route_plan_pieces(model.plan, w);
                     items = item_table_bytes(model);
                     cells = route_cells_bytes(model);
                   });
  out.write(items_name, [&](const chunk_writer& w) { w(items); });
  out.write(cells_name, [&](const chunk_writer& w) { w(cells); });
  return out.commit();
}

compile_result memorizza_percorso(scenario_model& model, int32_t j, const definition_texts& texts,
                                  const std::string& directory) {
  compile_result result;
  result.outcome = compile_scenario(model, j, texts);
  if (can_write(model, result.outcome)) result.files = write_compiled_files(model, directory);
  return result;
}

}  // namespace scenario
