// The altitudes the gradients are fitted to: the ground, not the mountain
// over a tunnel, and only altitudes a railway can have.
#include "tool/import/profile_samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace scenario::tool::import {
namespace {

// A route 1000 m due north with a point every 100 m, in a tunnel from 300
// to 700 m; `ele` gives each point's ele=*.
track straight_route(const std::vector<std::optional<double>>& ele) {
  track t;
  for (size_t i = 0; i <= 10; ++i) {
    const double at = 100.0 * static_cast<double>(i);
    t.points.push_back({0, at});
    t.places.push_back({9.0, 45.0 + at / 111200});
    t.chainage.push_back(at);
    t.elevation.push_back(i < ele.size() ? ele[i] : std::nullopt);
  }
  t.tunnels.push_back({300, 700, "Galleria"});
  return t;
}

// A mountain 800 m high between 45.0030 and 45.0060 N (inside the
// tunnel), a plain at 100 m elsewhere, and one wild value near 900 m.
class hill : public elevation_model {
 public:
  std::optional<double> altitude(double, double lat) const override {
    if (lat > 45.0080 && lat < 45.0082) return 1e300;
    return lat > 45.0030 && lat < 45.0060 ? 900 : 100;
  }
};

TEST(ProfileSamples, TheGroundIsNotSampledInsideTunnels) {
  const track t = straight_route({});
  const sampled_profile sampled = sample_model(t, hill(), "collina.tif");
  ASSERT_TRUE(sampled.error.empty()) << sampled.error;
  ASSERT_FALSE(sampled.samples.empty());
  for (const altitude_sample& s : sampled.samples) {
    const bool inside = s.at > 300 && s.at < 700;
    EXPECT_EQ(s.ground, !inside && !(s.at > 895 && s.at < 915)) << s.at;
    if (s.ground) {
      EXPECT_EQ(s.altitude, 100) << s.at;
    }
  }
  // The one wild value of the model (at 900 m) is left out and counted.
  EXPECT_EQ(sampled.implausible, 1u);
}

TEST(ProfileSamples, TagsInsideTunnelsAndAltitudesNoGroundHasAreLeftOut) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const track t = straight_route({kNan, 100, kInf, 900, 900, 900, 900, -5000, 1e300, -kInf, 110});
  const sampled_profile tagged = sample_tags(t);
  EXPECT_EQ(tagged.implausible, 5u);
  ASSERT_EQ(tagged.samples.size(), 6u);
  for (const altitude_sample& s : tagged.samples) {
    EXPECT_TRUE(std::isfinite(s.altitude));
    EXPECT_EQ(s.ground, !(s.at > 300 && s.at < 700)) << s.at;
  }
  EXPECT_EQ(tagged.samples.front().at, 100);
  EXPECT_EQ(tagged.samples.back().altitude, 110);
  EXPECT_TRUE(plausible_altitude(-400));
  EXPECT_TRUE(plausible_altitude(8848));
  EXPECT_FALSE(plausible_altitude(kNan));
  EXPECT_FALSE(plausible_altitude(9001));
}

}  // namespace
}  // namespace scenario::tool::import
