// The altitudes along the route that the gradients are fitted to: from an
// elevation model, or from the ele=* of the track's nodes.
#ifndef TOOL_IMPORT_PROFILE_SAMPLES_H_
#define TOOL_IMPORT_PROFILE_SAMPLES_H_

#include <string>
#include <vector>

#include "tool/import/elevation.h"
#include "tool/import/fit.h"
#include "tool/import/track.h"

namespace scenario::tool::import {

inline constexpr double kSampleSpacing = 25;  // m between two samples of a model

// Altitudes outside these (or not numbers at all: NaN, infinite) are no
// ground on Earth a railway runs on: a map's or a model's mistake.
inline constexpr double kLowestAltitude = -500;  // m
inline constexpr double kHighestAltitude = 9000;

// Whether `altitude` is a finite number within the plausible range.
bool plausible_altitude(double altitude);

struct sampled_profile {
  std::vector<altitude_sample> samples;  // ascending
  std::string error;                     // the model does not cover the route (Italian); samples empty
  size_t implausible = 0;                // altitudes ignored: not plausible_altitude
};

// Samples `model` every kSampleSpacing metres; in tunnels and on bridges,
// and where the model's value is not plausible, the samples are marked as
// not on the ground.
sampled_profile sample_model(const track& route, const elevation_model& model, const std::string& source);

// The ele=* of the track's nodes that are plausible; no samples when none
// is.
sampled_profile sample_tags(const track& route);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PROFILE_SAMPLES_H_
