#include "model/compiled_fields.h"

namespace scenario {
namespace {

constexpr info_field kS1D1{"s1d1", "s1d1"}, kS2D2{"s2d2", "s2d2"}, kS3D3{"s3d3", "s3d3"},
    kAspect{"rapp_aspetto", "rapp_aspetto"}, kSpeed{"velocita_kmh", "velocita'"}, kDv{"d_v", "d_v"},
    kFtt{"f_tt", "f_tt"}, kNumber{"numero", "numero"}, kNumberDv{"numero_dv", "numero_dv"},
    kRankA{"rango_a", "rango_a"}, kRankB{"rango_b", "rango_b"}, kRankC{"rango_c", "rango_c"},
    kStripes{"strisce", "strisce"}, kStation{"stazione", "stazione"}, kCode{"codice", "codice"},
    kBoardText{"voce_testo", "voce_testo"}, kMark{"marchio", "marchio"}, kOg{"codice_og", "codice_og"};

template <typename T, T item_entry::*field>
int32_t get(const item_entry& e) {
  return e.*field;
}
template <typename T, T item_entry::*field>
void set(item_entry& e, int32_t v) {
  e.*field = static_cast<T>(v);
}

constexpr station_setting kSettings[] = {
    {"S1", 8, get<uint8_t, &item_entry::flag1>, set<uint8_t, &item_entry::flag1>},
    {"S2", 8, get<uint8_t, &item_entry::byte4>, set<uint8_t, &item_entry::byte4>},
    {"S3", 8, get<uint8_t, &item_entry::byte3>, set<uint8_t, &item_entry::byte3>},
    {"S4", 16, get<int16_t, &item_entry::num1>, set<int16_t, &item_entry::num1>},
    {"S5", 16, get<int16_t, &item_entry::num2>, set<int16_t, &item_entry::num2>},
    {"S6", 8, get<uint8_t, &item_entry::byte1>, set<uint8_t, &item_entry::byte1>},
    {"S7", 16, get<int16_t, &item_entry::num3>, set<int16_t, &item_entry::num3>},
    {"S8", 16, get<int16_t, &item_entry::num4>, set<int16_t, &item_entry::num4>},
    {"S9", 16, get<int16_t, &item_entry::num5>, set<int16_t, &item_entry::num5>},
    {"S10", 8, get<uint8_t, &item_entry::byte2>, set<uint8_t, &item_entry::byte2>},
};

}  // namespace

std::string cell_kind_name(uint8_t kind) {
  switch (kind) {
    case kEmpty: return "vuota";
    case kSignal: return "segnale";
    case kSlowdownEnd: return "fine rallentamento";
    case kSlowdownStart: return "inizio rallentamento";
    case kWarningBoard: return "avviso di rallentamento";
    case kWarningApproach: return "preavviso";
    case kSpeedBoard: return "indicatore di velocita' massima";
    case kStopCell: return "fermata";
    case kTunnelMarker: return "marcatore di galleria";
    case kCodePoint: return "punto codice";
    case kCodeCut: return "taglio codice";
    case kIndicatorBoard: return "cartello indicatore";
    default: return "tipo " + std::to_string(kind);
  }
}

std::array<const info_field*, 4> info_fields(uint8_t kind, size_t cell) {
  std::array<const info_field*, 4> f{};
  switch (kind) {
    case kSignal: f = {&kS1D1, &kS2D2, &kS3D3, &kAspect}; break;
    case kSlowdownEnd:
    case kSlowdownStart: f = {&kSpeed, &kDv, &kFtt, nullptr}; break;
    case kWarningBoard: f = {&kSpeed, &kDv, nullptr, nullptr}; break;
    case kWarningApproach: f = {&kNumber, &kNumberDv, nullptr, nullptr}; break;
    case kSpeedBoard: f = {&kRankA, &kRankB, &kRankC, &kStripes}; break;
    case kStopCell: f = {&kStation, nullptr, nullptr, nullptr}; break;
    case kCodePoint: f = {&kCode, nullptr, nullptr, nullptr}; break;
    case kIndicatorBoard: f = {&kBoardText, nullptr, nullptr, nullptr}; break;
    default: break;
  }
  if (cell == 1) {
    f[0] = &kMark;
    f[1] = &kOg;
  }
  return f;
}

std::span<const station_setting> station_settings() { return kSettings; }

}  // namespace scenario
