#include "tool/railway/train_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario::tool {
namespace {

// The relation's denominator: what the brakes and the gradient do, in the
// relation's own units.
double braking_term(double braked_percent, double gradient_permille) {
  return 6.1 * (1 + std::max(braked_percent, 0.0) / 10) + gradient_permille;
}

}  // namespace

double minden_braking_distance(double kmh, double braked_percent, double gradient_permille) {
  const double term = braking_term(braked_percent, gradient_permille);
  if (term <= 0) return std::numeric_limits<double>::infinity();
  return 3.85 * kmh * kmh / term;
}

double braking_deceleration(double braked_percent, double gradient_permille) {
  // s = 3.85 V^2 / term and s = v^2 / (2 a) with v = V / 3.6 give
  // a = term / (2 * 3.85 * 3.6^2).
  return std::max(braking_term(braked_percent, gradient_permille), 0.0) / (2 * 3.85 * 3.6 * 3.6);
}

double traction_acceleration(const train_model& train, double speed, double gradient_permille) {
  const double pull = speed > 0 ? std::min(train.max_acceleration, train.power_per_tonne / speed)
                                : train.max_acceleration;
  const double kmh = speed * 3.6;
  const double resistance = (train.resistance_a + train.resistance_b * kmh * kmh) * kGravity / 1000;
  return pull - resistance - gradient_permille * kGravity / 1000;
}

}  // namespace scenario::tool
