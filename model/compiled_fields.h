// What each field of the compiled files means, written once: the names of
// the route cell kinds and of the values each kind keeps in info1 to info4,
// the units of the fields every cell has, and the ten settings of a station
// entry with the field of the item table that keeps each. The train loader
// stores the settings through this table; dump, the editor's hover and the
// live view show the compiled scenario through it.
#ifndef MODEL_COMPILED_FIELDS_H_
#define MODEL_COMPILED_FIELDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/model.h"

namespace scenario {

// The Italian name of a cell kind ("segnale"); "tipo N" for one the format
// does not define.
std::string cell_kind_name(uint8_t kind);

// One of info1 to info4 of a cell kind: a key for scripts and a label for
// people; null where the kind gives the field no meaning. Cell 1 keeps the
// format mark and the check code og in info1 and info2 whatever its kind.
struct info_field {
  const char* key;
  const char* label;
};
std::array<const info_field*, 4> info_fields(uint8_t kind, size_t cell);

// The fields every cell has, decoded.
inline int32_t speed_limit_kmh(const route_cell& c) { return c.speed_limit * 5; }
inline int32_t gradient_per_mille(const route_cell& c) { return c.gradient - 100; }

// A station's settings S1 to S10, in the order of the station record, each
// with the width the record reads it in and the entry field that keeps it.
struct station_setting {
  const char* name;  // "S1"
  int bits;          // 8 (0 to 255) or 16 (-32768 to 32767)
  int32_t (*get)(const item_entry&);
  void (*set)(item_entry&, int32_t);
};
std::span<const station_setting> station_settings();

}  // namespace scenario

#endif  // MODEL_COMPILED_FIELDS_H_
