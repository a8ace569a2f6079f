// generate_definitions DIR LENGTH [ROUTE [TRAIN]]
// Writes synthetic line and train definitions of a route LENGTH metres long
// into DIR, for `scenario compile DIR --route ROUTE --train TRAIN`.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "bench/synthetic_definitions.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::cerr << "usage: generate_definitions DIR LENGTH [ROUTE [TRAIN]]\n"
              << "  LENGTH in metres, " << scenario::bench::kMinSyntheticLength << " to "
              << scenario::bench::kMaxSyntheticLength << "; ROUTE defaults to Linea_Sintetica, TRAIN to 9001\n";
    return 2;
  }
  const std::string route = argc > 3 ? argv[3] : "Linea_Sintetica";
  const std::string train = argc > 4 ? argv[4] : "9001";
  try {
    const long length = std::stol(argv[2]);
    if (length < scenario::bench::kMinSyntheticLength || length > scenario::bench::kMaxSyntheticLength) {
      throw std::invalid_argument("LENGTH out of range");
    }
    scenario::bench::write_synthetic_definitions(argv[1], route, train, static_cast<int32_t>(length));
  } catch (const std::exception& e) {
    std::cerr << "generate_definitions: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
