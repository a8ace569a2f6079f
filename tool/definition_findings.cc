#include "tool/definition_findings.h"

#include <algorithm>

#include "model/compile.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "tool/railway/railway_findings.h"

namespace scenario::tool {

namespace {

// Line `n` (from 1) of a definition, without its line end: what a finding
// made after the reading quotes under its message.
std::string line_of(const std::optional<std::string>& text, int32_t n) {
  if (!text || n < 1) return "";
  size_t from = 0;
  for (int32_t i = 1; i < n; ++i) {
    from = text->find('\n', from);
    if (from == std::string::npos) return "";
    ++from;
  }
  std::string line = text->substr(from, text->find('\n', from) - from);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

int file_rank(definition_file f) {
  switch (f) {
    case definition_file::line: return 0;
    case definition_file::train: return 1;
    case definition_file::none: break;
  }
  return 2;
}

bool same_place(const source_site& a, const source_site& b) {
  return a.file == b.file && a.line == b.line && a.column == b.column;
}

}  // namespace

definition_check check_definitions(const definition_texts& texts, const scenario_identity& id) {
  definition_check found;
  found.compiled.identity = id;
  found.reported = reported_fault(compile_scenario(found.compiled, 1, texts));
  scenario_model again;
  again.identity = id;
  again.line_mode = 1;
  found.faults = every_load_fault(again, texts, &found.warnings, &found.records);
  // The reported fault is one of them unless the post-processing or the
  // reserved fields found it.
  const fault_state& reported = found.reported;
  if (reported) {
    const auto same = std::find_if(found.faults.begin(), found.faults.end(), [&](const fault_state& f) {
      return f.error_code == reported.error_code && same_place(f.site, reported.site);
    });
    if (same == found.faults.end()) found.faults.insert(found.faults.begin(), reported);
  }
  // A clean compile is also judged as a railway: timetable, curves, warning boards.
  if (!reported && found.faults.empty()) {
    found.timetable = timetable_of(found.compiled, found.records, {}, texts.train.value_or(""));
    railway_options options;
    options.train_file = train_definition_name(id.route_name, id.train_number);
    for (load_warning& w : railway_findings(found.records, *found.timetable, options)) {
      w.site.text = line_of(w.site.file == definition_file::line ? texts.line : texts.train, w.site.line);
      found.warnings.push_back(std::move(w));
    }
  }
  for (size_t i = 0; i < found.warnings.size(); ++i) found.in_order.push_back({false, i});
  for (size_t i = 0; i < found.faults.size(); ++i) found.in_order.push_back({true, i});
  std::stable_sort(found.in_order.begin(), found.in_order.end(),
                   [&](const definition_check::entry& a, const definition_check::entry& b) {
                     const source_site& sa = found.site(a);
                     const source_site& sb = found.site(b);
                     const int ra = file_rank(sa.file), rb = file_rank(sb.file);
                     if (ra != rb) return ra < rb;
                     return sa.line != sb.line ? sa.line < sb.line : sa.column < sb.column;
                   });
  return found;
}

std::vector<definition_finding> collect_findings(const definition_texts& texts, const scenario_identity& id) {
  const definition_check found = check_definitions(texts, id);
  std::vector<definition_finding> findings;
  // A record met in a cell is named by its definition's file name.
  const definition_paths names{line_definition_name(id.route_name),
                               train_definition_name(id.route_name, id.train_number)};
  for (const fault_state& f : found.faults) {
    findings.push_back({true, f.error_code, f.site, fault_message(f, names), std::nullopt});
  }
  for (const load_warning& w : found.warnings) findings.push_back({false, kNoFault, w.site, warning_message(w), w.kind});
  return findings;
}

}  // namespace scenario::tool
