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

struct sampled_profile {
  std::vector<altitude_sample> samples;  // ascending
  std::string error;                     // the model does not cover the route (Italian); samples empty
};

// Samples `model` every kSampleSpacing metres; in tunnels and on bridges
// the samples are marked as not on the ground.
sampled_profile sample_model(const track& route, const elevation_model& model, const std::string& source);

// The ele=* of the track's nodes; empty when none has one.
std::vector<altitude_sample> sample_tags(const track& route);

}  // namespace scenario::tool::import

#endif  // TOOL_IMPORT_PROFILE_SAMPLES_H_
