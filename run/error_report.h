// errore: shows a fault number as " Errore n. <a>". The caller ends the
// program right after it.
#ifndef RUN_ERROR_REPORT_H_
#define RUN_ERROR_REPORT_H_

#include <string>

#include "run/platform.h"

namespace scenario {

std::string error_message(const std::string& a);
void errore(platform& p, const std::string& a);

}  // namespace scenario

#endif  // RUN_ERROR_REPORT_H_
