// Where each record of the two definitions stands: the definitions read
// once more as the loaders read them (the same stream of fields, the same
// key tests in the same order, comments skipped the same way), keeping for
// every record that places something along the line its kind, the line of
// its key and its fields. The compile itself keeps no line numbers; the
// live view needs them to say which line an object comes from.
#ifndef TOOL_SERVE_RECORDS_H_
#define TOOL_SERVE_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/findings.h"
#include "model/loader.h"

namespace scenario::tool {

enum class source_kind {
  gradient,     // pendenza: position, per mille
  curve,        // curva: start, length (side and sharpness in the key)
  tunnel,       // montagna: inizio, fine, tipo
  speed_board,  // indicatori_vmax: posizione and eight values
  name_board,   // cartello_indicatore: position, then the text
  speed,        // velocita: position, km/h
  signal,       // segnale: posizione and ten values
  slowdown,     // rallentamento: x, v, l, f_tt, f_ta, d_v
  code_point,   // abbattimento: position, value
  station,      // stazione: sixteen numbers, then the name
};

struct source_record {
  source_kind kind = source_kind::gradient;
  definition_file file = definition_file::none;
  int32_t line = 0;          // the line of the key
  std::string key;           // as written (Windows-1252)
  std::vector<int64_t> numbers;  // the number fields, in order
  std::string text;          // a board's inscription, a station's name (Windows-1252)
};

// Every such record of both definitions, the line definition first, each
// in file order. A record whose fields cannot be read is left out, and
// reading goes on at the line after its key.
std::vector<source_record> read_source_records(const definition_texts& texts);

}  // namespace scenario::tool

#endif  // TOOL_SERVE_RECORDS_H_
