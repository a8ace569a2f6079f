// The train as the running-time computation sees it: how hard it can
// pull and brake, and what holds it back. A small model with documented
// defaults for a regional train; the braked-mass percentage comes from the
// train definition.
#ifndef TOOL_RAILWAY_TRAIN_MODEL_H_
#define TOOL_RAILWAY_TRAIN_MODEL_H_

namespace scenario::tool {

inline constexpr double kGravity = 9.81;  // m/s2

struct train_model {
  double max_acceleration = 0.8;  // m/s2, at low speed (adhesion and motors)
  double power_per_tonne = 12.0;  // kW/t at the wheel: 12 is an electric regional train
  double braked_mass_percent = 100;
  // Running resistance in N per kN of weight: a + b * (v in km/h)^2.
  double resistance_a = 1.5;
  double resistance_b = 0.00025;
};

// The braking distance in metres from `kmh` to a stop on a gradient of
// `gradient_permille` (rising positive) with `braked_percent` of braked
// mass (lambda), by the Minden relation of railway practice for trains
// braked as passenger trains:
//   s = 3.85 V^2 / (6.1 psi (1 + lambda / 10) + i)
// V in km/h, lambda in per cent, i in per mille, psi = 1. Meant for
// lambda up to about 150; a falling gradient steeper than the brakes can
// hold gives an infinite distance.
double minden_braking_distance(double kmh, double braked_percent, double gradient_permille);

// The mean deceleration (m/s2, positive) the same relation gives on a
// gradient: the braking distance turned into a constant deceleration.
double braking_deceleration(double braked_percent, double gradient_permille);

// The acceleration (m/s2) the train can reach at `speed` (m/s) on a
// gradient: traction limited by adhesion and power, less the running
// resistance and the gradient's pull. May be negative on a steep climb.
double traction_acceleration(const train_model& train, double speed, double gradient_permille);

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_TRAIN_MODEL_H_
