#include "model/compiled_writer.h"

#include <system_error>
#include <utility>

#include "model/binary_files.h"
#include "model/file_names.h"

namespace scenario {

namespace {
// Thrown into the plan's encoder to stop it early.
struct plan_dropped {};
}  // namespace

compiled_files_writer::compiled_files_writer(const scenario_model& model, std::string directory,
                                             thread_starter start)
    : model_(model), start_(start), out_(directory, std::move(start)) {
  const scenario_identity& id = model.identity;
  try {
    restore_interrupted_replacement(directory, {route_plan_name(id.route_name),
                                                item_table_name(id.route_name, id.train_number),
                                                route_cells_name(id.route_name, id.train_number)});
  } catch (const file_error&) {
    // Tried again, and reported, when the new files are put in place.
  }
}

compiled_files_writer::~compiled_files_writer() {
  // A compile with a fault writes nothing: the plan stops at its next piece,
  // and its temporary file goes with out_ once nothing writes it any more.
  dropped_ = true;
  if (plan_.joinable()) plan_.join();
}

void compiled_files_writer::write_plan() {
  // The points are computed on one more thread while this one writes.
  out_.write_pieces(route_plan_name(model_.identity.route_name), 2 * route_plan_run_bytes(model_.plan),
                    [&](const piece_writer& w) {
                      encode_route_plan_pieces(model_.plan, [&](uint64_t offset, std::string& bytes) {
                        if (dropped_) throw plan_dropped{};
                        w(offset, bytes);
                      });
                    });
}

void compiled_files_writer::begin_plan() {
  if (model_.line_mode == 0 || plan_.joinable()) return;
  try {
    plan_ = start_([this] {
      try {
        write_plan();
      } catch (...) {
        plan_error_ = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No thread to spare: commit() writes the plan itself.
  }
}

std::vector<std::string> compiled_files_writer::commit() {
  const scenario_identity& id = model_.identity;
  if (model_.line_mode != 0 && !plan_.joinable()) write_plan();
  // Encoded here while the plan may still be being written.
  const std::string items = item_table_bytes(model_);
  const std::string cells = route_cells_bytes(model_);
  if (plan_.joinable()) plan_.join();
  if (plan_error_) std::rethrow_exception(std::exchange(plan_error_, nullptr));
  out_.write(item_table_name(id.route_name, id.train_number), [&](const chunk_writer& w) { w(items); });
  out_.write(route_cells_name(id.route_name, id.train_number), [&](const chunk_writer& w) { w(cells); });
  return out_.commit();
}

std::vector<std::string> write_compiled_files(const scenario_model& model, const std::string& directory) {
  compiled_files_writer writer(model, directory);
  writer.begin_plan();
  return writer.commit();
}

}  // namespace scenario
