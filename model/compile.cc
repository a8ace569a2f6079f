#include "model/compile.h"

#include "model/binary_files.h"
#include "model/check_codes.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "model/post_processing.h"

namespace scenario {

bool has_route_cells(const scenario_model& model) { return model.route_cells.size() >= 2; }

int32_t compile_scenario(scenario_model& model, int32_t j, const load_options& options) {
  model.line_mode = j;
  model.fault.error_code = 0;
  for (item_entry& e : model.item_table) e = item_entry{};

  memorizza_dati(model, options);
  if (!has_route_cells(model)) return 0;
  aggiungi_codici(model);
  return stamp_reserved_fields(model);
}

int32_t stamp_reserved_fields(scenario_model& model) {
  item_entry& marks = model.item_table[kRouteItem];
  route_cell& cell1 = model.route_cells[1];
  if (marks.num1 != 0 || cell1.info1 != 0) return kFormatMarkFault;
  marks.num1 = kItemsFormatMark;
  cell1.info1 = kCellsFormatMark;

  if (marks.time_s != 0 || cell1.info2 != 0) return kCheckCodeFault;
  marks.time_s = codice_gara_st(model);
  cell1.info2 = codice_gara_og(model);
  return 0;
}

std::vector<std::string> write_compiled_files(const scenario_model& model, const std::string& directory) {
  output_set out(directory);
  if (model.line_mode != 0) {
    out.write(route_plan_name(model.route_name), [&](const chunk_writer& w) { encode_route_plan(model, w); });
  }
  out.write(item_table_name(model.route_name, model.train_number),
            [&](const chunk_writer& w) { encode_item_table(model, w); });
  out.write(route_cells_name(model.route_name, model.train_number),
            [&](const chunk_writer& w) { encode_route_cells(model, w); });
  return out.commit();
}

compile_result memorizza_percorso(scenario_model& model, int32_t j, const load_options& options) {
  compile_result result;
  result.reserved_fault = compile_scenario(model, j, options);
  if (result.reserved_fault == 0 && has_route_cells(model)) {
    result.files = write_compiled_files(model, options.directory);
  }
  return result;
}

}  // namespace scenario
