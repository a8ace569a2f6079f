#include "run/error_report.h"

namespace scenario {

std::string error_message(const std::string& a) { return " Errore n. " + a; }

void errore(platform& p, const std::string& a) { p.show_report(error_message(a)); }

}  // namespace scenario
