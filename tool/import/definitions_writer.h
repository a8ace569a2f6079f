// The line and train definitions `scenario import` writes, laid out as the
// built-in ones, with comment lines for what the map cannot give.
#ifndef TOOL_IMPORT_DEFINITIONS_WRITER_H_
#define TOOL_IMPORT_DEFINITIONS_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "model/identity.h"
#include "tool/import/fit.h"
#include "tool/import/track.h"

namespace scenario::tool::import {

// Defaults for what the map does not hold; each is also told in a comment
// line of the definitions.
inline constexpr int kFirstStationKind = 12;  // a station where the train starts
inline constexpr int kFirstStationLength = 400;
inline constexpr int kStopKind = 22;           // a stop with its time
inline constexpr int kStopLength = 200;
inline constexpr int kLastStationKind = 4;     // the station where the run ends
inline constexpr int kLastStationLength = 600;
inline constexpr int kTunnelType = 11;
inline constexpr int kDefaultSpeed = 80;       // km/h where no way has maxspeed
inline constexpr int kStationGap = 350;        // m between two station stretches, at least
// A stop's settings (its third is 1) carry its stretch this far past its
// length: the gap to the next station counts from there.
inline constexpr int kStopEndExtension = 50;
// Stations and the tunnels' name boards share the simulator's table of
// texts: a station is refused once the next free entry meets the boards',
// so together they are at most this many. Stations come first; the boards
// take what is left, at most kMostBoards.
inline constexpr size_t kMostTexts = 78;
inline constexpr size_t kMostBoards = 40;

struct import_content {
  scenario_identity id;
  std::string source;        // the extract's file name, for the comment at the head
  std::string first_name;    // UTF-8 names of the two ends
  std::string last_name;
  const track* route = nullptr;
  const plan_fit* plan = nullptr;
  const profile_fit* profile = nullptr;
  std::string profile_source;  // where the altitudes came from, in Italian
};

struct written_station {
  std::string name;  // Windows-1252, as written
  int32_t position = 0;
  int kind = 0;
  int length = 0;
};

struct written_definitions {
  std::string line;   // Windows-1252, CR LF
  std::string train;
  int32_t route_length = 0;
  std::vector<written_station> stations;
  size_t tunnels = 0;
  std::vector<std::string> transliterated;  // names (UTF-8) written with letters replaced
  std::vector<std::string> skipped;         // what was left out and why (Italian)
};

written_definitions write_definitions(const import_content& c);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_DEFINITIONS_WRITER_H_
