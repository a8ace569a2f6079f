// The three views of `scenario dump`, one per compiled file: plain words,
// CSV and JSON, each showing the raw codes beside what they mean.
#ifndef TOOL_DUMP_VIEWS_H_
#define TOOL_DUMP_VIEWS_H_

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "model/binary_decode.h"
#include "model/model.h"

namespace scenario::tool {

enum class dump_form { text, csv, json };

struct dump_options {
  dump_form form = dump_form::text;
  int32_t every = 0;               // metres between plan points shown; 0: none (CSV: every metre)
  std::optional<int32_t> from;     // only cells or points from this metre on
  std::optional<int32_t> to;       // up to this metre
  bool in_stretch(int64_t metre) const { return (!from || metre >= *from) && (!to || metre <= *to); }
  bool stretch() const { return from || to; }
};

void dump_cells(const std::string& path, const std::vector<route_cell>& cells, const dump_options& o,
                std::ostream& out);
void dump_items(const std::string& path, const std::array<item_entry, kItemCount>& items, const dump_options& o,
                std::ostream& out);
void dump_plan(const std::string& path, const decoded_plan& plan, const dump_options& o, std::ostream& out);

}  // namespace scenario::tool

#endif  // TOOL_DUMP_VIEWS_H_
