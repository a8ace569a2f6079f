// A run-time failure while loading the definitions: a read past the end of
// a file, a field that is not what the record needs, a number or a
// conversion that does not fit its field, a definition that cannot be read.
// memorizza_dati catches it in one place and records fault 25.
#ifndef MODEL_LOAD_FAILURE_H_
#define MODEL_LOAD_FAILURE_H_

#include <stdexcept>
#include <string>

namespace scenario {

class load_failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace scenario

#endif  // MODEL_LOAD_FAILURE_H_
