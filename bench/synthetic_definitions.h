// Synthetic line and train definitions of any route length, for timing the
// compiler at the limits of the format. Every object is laid on a grid of
// 1000 m blocks (20 cells) so that nothing collides and the post-processing
// finds a free cell for every code point: the result compiles with no fault.
// The same length always gives the same bytes.
#ifndef BENCH_SYNTHETIC_DEFINITIONS_H_
#define BENCH_SYNTHETIC_DEFINITIONS_H_

#include <cstdint>
#include <string>

namespace scenario::bench {

// Shortest and longest route the layout supports; above the upper bound the
// route plan would pass its 1 000 000 points.
inline constexpr int32_t kMinSyntheticLength = 90000;  // 80 tunnels in blocks of their own
inline constexpr int32_t kMaxSyntheticLength = 993000;

struct synthetic_texts {
  std::string line;   // <route>_linea.txt
  std::string train;  // <route>_<train>-.txt
};

// Throws std::invalid_argument outside kMinSyntheticLength..kMaxSyntheticLength.
synthetic_texts synthetic_definitions(int32_t route_length);

// Writes both definitions into `directory` under the names the loader looks
// for. Throws std::runtime_error when a file cannot be written.
void write_synthetic_definitions(const std::string& directory, const std::string& route, const std::string& train,
                                 int32_t route_length);

}  // namespace scenario::bench

#endif  // BENCH_SYNTHETIC_DEFINITIONS_H_
