#include "model/check_codes.h"

#include "model/ansi_text.h"

namespace scenario {
namespace {

constexpr int kCounted = 25;

// Builds the work string from the identity texts of entries 86 and 85.
const std::string& work_string(scenario_model& model) {
  model.current_field = to_lower_ansi(model.item_table[kRepeatItem].text + model.item_table[kRouteItem].text) +
                        "aabbccddeeffgghhiillmmnnoo";
  return model.current_field;
}

int code_of(char c) { return static_cast<unsigned char>(c); }

}  // namespace

int32_t codice_gara_st(scenario_model& model) {
  const std::string& w = work_string(model);
  int32_t sum = 0;
  for (int i = 1; i <= kCounted; ++i) sum += code_of(w[i - 1]) * i;
  return sum;
}

int16_t codice_gara_og(scenario_model& model) {
  const std::string& w = work_string(model);
  int32_t sum = 0;
  for (int i = 1; i <= kCounted; ++i) sum += code_of(w[i - 1]);
  return static_cast<int16_t>(sum);  // at most 25 x 255 = 6375
}

}  // namespace scenario
