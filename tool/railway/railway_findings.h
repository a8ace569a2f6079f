// The railway checks of a clean compile, as warnings at the records they
// concern: a section of the timetable the train cannot keep (fault-level)
// or keeps by less than a margin, a curve whose radius does not allow the
// speed limit on it, a slowdown whose warning board stands nearer than
// the train needs to brake to the slowdown's speed.
#ifndef TOOL_RAILWAY_RAILWAY_FINDINGS_H_
#define TOOL_RAILWAY_RAILWAY_FINDINGS_H_

#include <string>
#include <vector>

#include "model/findings.h"
#include "model/loader.h"
#include "model/model.h"
#include "tool/railway/timetable.h"

namespace scenario::tool {

struct railway_options {
  timetable_options timetable;
  // The speed a curve allows: V = sqrt(R (cant + deficiency) / 11.8),
  // V in km/h, R in m, cant and cant deficiency in mm.
  double cant = 160;
  double cant_deficiency = 100;
  // The train definition's file name, to name the braked-mass record.
  std::string train_file = "definizione del treno";
};

// How far before a slowdown its warning board stands, and the least start
// of a slowdown that has one.
inline constexpr int32_t kWarningBoardDistance = 1200;
inline constexpr int32_t kFirstWarnedSlowdown = 1501;

double curve_speed(double radius, double cant, double cant_deficiency);

// Why a section has no figure, in a few words: "l'orario di PRACCHIA
// (9.69.00) non e' un'ora del giorno", "il treno non passa oltre 14950 m".
// Empty for a section with its figures.
std::string section_gap_words(const timetable_report& timetable, const timetable_section& section);

// The point the train cannot pass and its cause, naming the braked-mass
// record where the brakes are the cause. Empty without one.
std::string obstacle_words(const timetable_report& timetable, const railway_options& options = {});

// `records` and `model` from a check of the definitions without a fault,
// `timetable` computed from them with options.timetable.
std::vector<load_warning> railway_findings(const std::vector<loaded_record>& records, const timetable_report& timetable,
                                           const railway_options& options = {});

}  // namespace scenario::tool

#endif  // TOOL_RAILWAY_RAILWAY_FINDINGS_H_
