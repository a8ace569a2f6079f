// Gradient records for the ground sampled along a route. The compile gives
// every cell of 50 m the gradient of the record in force there, so the
// profile the records make is a polyline with its corners on multiples of
// 50 m, and its altitude at every corner is the start altitude plus a whole
// multiple of 5 cm (1 per mille over 50 m). The fit searches that lattice:
// dynamic programming over (corner, altitude on the lattice), each step one
// record of at least the minimum length with a whole gradient the format
// stores, its cost the squared departure from the ground at the corners it
// spans plus a price per record. Because the altitude is the state, the
// rounding of one record is paid back by the next instead of adding up.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "tool/import/fit.h"

namespace scenario::tool::import {
namespace {

constexpr double kCell = 50;         // m, the length of a route cell
constexpr double kLatticeStep = 0.05;  // m, 1 per mille over one cell
// The gradient byte of a cell holds the gradient plus 100 in 8 bits.
constexpr int32_t kLowestGradient = -100;
constexpr int32_t kHighestGradient = 155;
constexpr int kLongestRecordCells = 60;  // a longer stretch is two records of one gradient, merged after

// The profile of the track: the ground where the track lies on it, and in
// tunnels and on bridges a straight line between the ground at their ends.
std::vector<altitude_sample> track_profile(std::span<const altitude_sample> samples) {
  std::vector<altitude_sample> p(samples.begin(), samples.end());
  std::stable_sort(p.begin(), p.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
  const size_t none = p.size();
  size_t before = none;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i].ground) {
      before = i;
      continue;
    }
    size_t after = i + 1;
    while (after < p.size() && !p[after].ground) ++after;
    for (size_t j = i; j < after; ++j) {
      if (before != none && after < p.size() && p[after].at > p[before].at) {
        const double f = (p[j].at - p[before].at) / (p[after].at - p[before].at);
        p[j].altitude = p[before].altitude + f * (p[after].altitude - p[before].altitude);
      } else if (before != none) {
        p[j].altitude = p[before].altitude;
      } else if (after < p.size()) {
        p[j].altitude = p[after].altitude;
      } else {
        p[j].altitude = 0;  // no ground anywhere: a level line
      }
    }
    i = after - 1;
  }
  return p;
}

// The profile's altitude at `x`, level beyond its ends.
double profile_at(const std::vector<altitude_sample>& p, double x) {
  if (p.empty()) return 0;
  if (x <= p.front().at) return p.front().altitude;
  if (x >= p.back().at) return p.back().altitude;
  const auto next = std::upper_bound(p.begin(), p.end(), x, [](double v, const auto& s) { return v < s.at; });
  const auto prev = next - 1;
  if (next->at == prev->at) return next->altitude;
  return prev->altitude + (x - prev->at) / (next->at - prev->at) * (next->altitude - prev->altitude);
}

// The ground at each corner: the mean of the samples within half a cell,
// or the profile there where no sample is that near.
std::vector<double> corner_targets(const std::vector<altitude_sample>& p, int corners) {
  std::vector<double> t(static_cast<size_t>(corners) + 1);
  size_t from = 0;
  for (int i = 0; i <= corners; ++i) {
    const double x = i * kCell;
    while (from < p.size() && p[from].at < x - kCell / 2) ++from;
    double sum = 0;
    int count = 0;
    for (size_t j = from; j < p.size() && p[j].at < x + kCell / 2; ++j, ++count) sum += p[j].altitude;
    t[i] = count > 0 ? sum / count : profile_at(p, x);
  }
  return t;
}

// How much the ground wanders around a straight line, from the second
// differences at the corners (robust against the corners where the
// gradient truly changes): the price of a record grows with it, so noise
// buys no records.
double noise_of(const std::vector<double>& t) {
  std::vector<double> d;
  for (size_t i = 1; i + 1 < t.size(); ++i) d.push_back(std::abs(t[i - 1] - 2 * t[i] + t[i + 1]));
  if (d.empty()) return 0;
  std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
  return 1.4826 * d[d.size() / 2] / std::sqrt(6.0);
}

// Where the fit may place its corners: near the ground smoothed over a
// record's length, its slope kept within the gradients the format stores.
std::vector<double> reference_profile(const std::vector<double>& t, int half_window) {
  const int n = static_cast<int>(t.size());
  std::vector<double> r(t.size());
  for (int i = 0; i < n; ++i) {
    const int a = std::max(0, i - half_window);
    const int b = std::min(n - 1, i + half_window);
    double sum = 0;
    for (int j = a; j <= b; ++j) sum += t[j];
    r[i] = sum / (b - a + 1);
  }
  for (int i = 1; i < n; ++i) {
    r[i] = std::clamp(r[i], r[i - 1] + kLowestGradient * kLatticeStep, r[i - 1] + kHighestGradient * kLatticeStep);
  }
  return r;
}

struct segment {
  int start = 0;  // corner
  int32_t per_mille = 0;
};

struct lattice_fit {
  double start = 0;  // m
  std::vector<segment> segments;
};

// Records of `min_cells` cells (the last may be shorter) that follow the
// reference with the gradient rounded to reach it: the answer when the
// search finds no path, which a ground steeper than the format can hold
// for long may cause.
lattice_fit follow_reference(const std::vector<double>& r, int min_cells) {
  const int corners = static_cast<int>(r.size()) - 1;
  lattice_fit f{r[0], {}};
  double a = r[0];
  for (int i = 0; i < corners; i += min_cells) {
    const int m = std::min(min_cells, corners - i);
    const auto g = static_cast<int32_t>(std::lround((r[i + m] - a) / (kLatticeStep * m)));
    const int32_t clamped = std::clamp(g, kLowestGradient, kHighestGradient);
    f.segments.push_back({i, clamped});
    a += clamped * kLatticeStep * m;
  }
  return f;
}

lattice_fit search_lattice(const std::vector<double>& t, const std::vector<double>& r, int min_cells, double band,
                           double price) {
  const int corners = static_cast<int>(t.size()) - 1;
  const double origin = r[0];
  // Sums over the corners for the squared departure of a straight piece in
  // constant time, relative to the origin to keep them exact enough.
  std::vector<double> s0(t.size() + 1, 0), s1(t.size() + 1, 0), s2(t.size() + 1, 0);
  for (int i = 0; i <= corners; ++i) {
    const double u = t[i] - origin;
    s0[i + 1] = s0[i] + u;
    s1[i + 1] = s1[i] + i * u;
    s2[i + 1] = s2[i] + u * u;
  }
  std::vector<int> low(t.size()), high(t.size());
  for (int i = 0; i <= corners; ++i) {
    low[i] = static_cast<int>(std::ceil((r[i] - band - origin) / kLatticeStep));
    high[i] = static_cast<int>(std::floor((r[i] + band - origin) / kLatticeStep));
  }
  constexpr double kNone = std::numeric_limits<double>::infinity();
  struct state {
    double cost = kNone;
    int from = -1;       // corner of the record's start
    int from_k = 0;  // lattice altitude there
  };
  std::vector<std::vector<state>> states(t.size());
  for (int i = 0; i <= corners; ++i) states[i].resize(static_cast<size_t>(std::max(0, high[i] - low[i] + 1)));
  for (int k = low[0]; k <= high[0]; ++k) {
    const double d = k * kLatticeStep - (t[0] - origin);
    states[0][k - low[0]].cost = d * d;
  }
  const int longest = std::max(kLongestRecordCells, 2 * min_cells);
  for (int i = 0; i < corners; ++i) {
    for (int k = low[i]; k <= high[i]; ++k) {
      const double base = states[i][k - low[i]].cost;
      if (base == kNone) continue;
      const double a = k * kLatticeStep;
      for (int m = 1; m <= std::min(longest, corners - i); ++m) {
        const int j = i + m;
        if (m < min_cells && j != corners) continue;
        const double sum = s0[j + 1] - s0[i + 1];
        const double sum_q = (s1[j + 1] - s1[i + 1]) - i * sum;  // sum of q * u over q = 1..m
        const double sum_sq = s2[j + 1] - s2[i + 1];
        const double q1 = m * (m + 1) / 2.0;
        const double q2 = m * (m + 1) * (2.0 * m + 1) / 6.0;
        const double best_rise = (sum_q - a * q1) / q2;  // per cell, least squares from this start
        const double g_best = best_rise / kLatticeStep;
        const double g_reach = (r[j] - origin - a) / (kLatticeStep * m);
        const double tries[] = {std::floor(g_best), std::ceil(g_best), std::round(g_reach)};
        for (size_t n = 0; n < std::size(tries); ++n) {
          if (n > 0 && tries[n] == tries[n - 1]) continue;
          const auto g = static_cast<int32_t>(std::clamp<double>(tries[n], kLowestGradient, kHighestGradient));
          const int k2 = k + g * m;
          if (k2 < low[j] || k2 > high[j]) continue;
          const double rise = g * kLatticeStep;
          const double sse =
              m * a * a - 2 * a * sum + sum_sq + 2 * rise * (a * q1 - sum_q) + rise * rise * q2;
          const double cost = base + std::max(0.0, sse) + price;
          state& s = states[j][k2 - low[j]];
          if (cost < s.cost) s = {cost, i, k};
        }
      }
    }
  }
  int best_k = 0;
  double best = kNone;
  for (int k = low[corners]; k <= high[corners]; ++k) {
    if (states[corners][k - low[corners]].cost < best) {
      best = states[corners][k - low[corners]].cost;
      best_k = k;
    }
  }
  if (best == kNone) return {};
  lattice_fit f;
  int j = corners;
  int k = best_k;
  while (j > 0) {
    const state& s = states[j][k - low[j]];
    f.segments.push_back({s.from, static_cast<int32_t>((k - s.from_k) / (j - s.from))});
    j = s.from;
    k = s.from_k;
  }
  std::reverse(f.segments.begin(), f.segments.end());
  f.start = origin + k * kLatticeStep;
  return f;
}

// The fitted profile's altitude at `x`, from the records' corners.
double fitted_at(const profile_fit& f, double x) {
  double z = f.start_altitude;
  for (size_t i = 0; i < f.gradients.size(); ++i) {
    const double from = f.gradients[i].start;
    const double to = i + 1 < f.gradients.size() ? f.gradients[i + 1].start : std::max(x, from);
    if (x <= from) break;
    z += (std::min(x, to) - from) * f.gradients[i].per_mille / 1000.0;
  }
  return z;
}

deviation departure(const profile_fit& f, const std::vector<altitude_sample>& profile, int32_t route_length) {
  deviation d;
  double sum = 0;
  int count = 0;
  for (const altitude_sample& s : profile) {
    if (s.at < 0 || s.at > route_length) continue;
    const double e = std::abs(fitted_at(f, s.at) - s.altitude);
    sum += e * e;
    ++count;
    if (e > d.max) {
      d.max = e;
      d.max_at = s.at;
    }
  }
  if (count > 0) d.rms = std::sqrt(sum / count);
  return d;
}

}  // namespace

profile_fit fit_profile(std::span<const altitude_sample> samples, int32_t route_length, int32_t min_length) {
  const std::vector<altitude_sample> profile = track_profile(samples);
  const int corners = std::max(1, static_cast<int>(std::lround(std::max(route_length, 0) / kCell)));
  const int min_cells = std::max(1, static_cast<int>(std::ceil(std::max(min_length, 0) / kCell)));
  const std::vector<double> t = corner_targets(profile, corners);
  const double noise = noise_of(t);
  const std::vector<double> r = reference_profile(t, std::max(1, min_cells / 2));
  const double band = std::min(6 + 3 * noise, 15.0);
  const double price = 1 + 4 * noise * noise;
  lattice_fit lattice = search_lattice(t, r, min_cells, band, price);
  if (lattice.segments.empty()) lattice = follow_reference(r, min_cells);

  profile_fit f;
  f.start_altitude = lattice.start;
  for (const segment& s : lattice.segments) {
    if (!f.gradients.empty() && f.gradients.back().per_mille == s.per_mille) continue;
    f.gradients.push_back({static_cast<int32_t>(s.start * kCell), s.per_mille});
  }
  f.vertical = departure(f, profile, route_length);
  return f;
}

}  // namespace scenario::tool::import
