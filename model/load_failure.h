// A run-time failure while loading the definitions: a read past the end of
// a file, a field that is not what the record needs, a number or a
// conversion that does not fit its field, a definition that cannot be read.
// memorizza_dati catches it in one place and records fault 25.
#ifndef MODEL_LOAD_FAILURE_H_
#define MODEL_LOAD_FAILURE_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace scenario {

class load_failure : public std::runtime_error {
 public:
  // `line` and `column` locate the field at fault in the definition being
  // read, 0 where no field is to blame.
  explicit load_failure(const std::string& what, int32_t line = 0, int32_t column = 0)
      : std::runtime_error(what), line_(line), column_(column) {}

  int32_t line() const { return line_; }
  int32_t column() const { return column_; }

 private:
  int32_t line_;
  int32_t column_;
};

}  // namespace scenario

#endif  // MODEL_LOAD_FAILURE_H_
