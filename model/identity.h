// The scenario identity: the two names every scenario file is named from.
#ifndef MODEL_IDENTITY_H_
#define MODEL_IDENTITY_H_

#include <string>

namespace scenario {

struct scenario_identity {
  std::string route_name;
  std::string train_number;
};

}  // namespace scenario

#endif  // MODEL_IDENTITY_H_
