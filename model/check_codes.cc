#include "model/check_codes.h"

#include "model/ansi_text.h"

namespace scenario {
namespace {

constexpr int kCounted = 25;

int code_of(char c) { return static_cast<unsigned char>(c); }

}  // namespace

std::string check_code_work_string(const scenario_model& model) {
  return to_lower_ansi(model.item_table[kRepeatItem].text + model.item_table[kRouteItem].text) +
         "aabbccddeeffgghhiillmmnnoo";
}

int32_t codice_gara_st(const scenario_model& model) {
  const std::string w = check_code_work_string(model);
  int32_t sum = 0;
  for (int i = 1; i <= kCounted; ++i) sum += code_of(w[i - 1]) * i;
  return sum;
}

int16_t codice_gara_og(const scenario_model& model) {
  const std::string w = check_code_work_string(model);
  int32_t sum = 0;
  for (int i = 1; i <= kCounted; ++i) sum += code_of(w[i - 1]);
  return static_cast<int16_t>(sum);  // at most 25 x 255 = 6375
}

}  // namespace scenario
