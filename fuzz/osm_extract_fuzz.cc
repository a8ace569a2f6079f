// Arbitrary bytes as a map extract for `scenario import`: an XML extract
// when they begin with '<', a PBF one otherwise. Whatever they hold, the
// reader gives back an extract or an Italian error naming the file: no
// crash, no read beyond what was read, no undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tool/import/osm_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool pbf = bytes.empty() || bytes.front() != '<';
  const std::string name = pbf ? "estratto.osm.pbf" : "estratto.osm";
  const scenario::tool::import::read_extract read = scenario::tool::import::read_osm_bytes(bytes, pbf, name);
  if (!read.data && read.error.find("il file " + name + " ") != 0) __builtin_trap();
  if (read.data) {
    // What the import goes on with holds together: nodes ascending and
    // unique, as the lookup by id needs.
    const auto& nodes = read.data->nodes;
    for (size_t i = 1; i < nodes.size(); ++i) {
      if (nodes[i - 1].id >= nodes[i].id) __builtin_trap();
    }
  }
  return 0;
}
