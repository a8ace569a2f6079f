// The one kind of error of this code: a file that cannot be read, written,
// renamed or made sense of. It is thrown where the trouble is found and
// caught where a command (or the program's run) ends, which tells it to
// the user. Faults in the definitions are not errors: they are values (a
// refusal, recorded as a fault_state) that the compile reports.
#ifndef MODEL_FILE_ERROR_H_
#define MODEL_FILE_ERROR_H_

#include <stdexcept>

namespace scenario {

class file_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace scenario

#endif  // MODEL_FILE_ERROR_H_
