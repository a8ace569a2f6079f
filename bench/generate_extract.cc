// generate_extract FILE.osm.pbf LENGTH_M PADDING_NODES: the extract of
// bench/synthetic_extract.h, for timing `scenario import` as a process.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/synthetic_extract.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "uso: generate_extract FILE.osm.pbf LUNGHEZZA_M NODI_DI_RIEMPIMENTO\n");
    return 2;
  }
  scenario::bench::write_synthetic_extract(argv[1], std::atof(argv[2]), std::atoll(argv[3]));
  return 0;
}
