#include "tool/map/imported_track.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "model/definition_files.h"
#include "model/file_names.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;

// Reads the report as a stream of events, keeping the track's points
// alone: what the report holds besides is skipped, and a report beyond the
// bounds stops the reading where it goes beyond them.
class track_reader : public nlohmann::json_sax<json> {
 public:
  std::vector<plan_xy> points;
  std::string problem;

  bool null() override { return value(false, 0); }
  bool boolean(bool) override { return value(false, 0); }
  bool number_integer(number_integer_t v) override { return value(true, static_cast<double>(v)); }
  bool number_unsigned(number_unsigned_t v) override { return value(true, static_cast<double>(v)); }
  bool number_float(number_float_t v, const string_t&) override { return value(true, v); }
  bool string(string_t&) override { return value(false, 0); }
  bool binary(binary_t&) override { return value(false, 0); }
  bool key(string_t& name) override {
    track_next_ = depth_ == 1 && name == "track_in_plan";
    return true;
  }
  bool start_object(std::size_t) override { return open(false); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(true); }
  bool end_array() override {
    if (in_track_ && depth_ == 3) {
      if (coordinates_ != 2) return refuse(kNotPoints);
      points.push_back({x_, y_});
    }
    if (in_track_ && depth_ == 2) in_track_ = false;
    return close();
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return refuse("non e' JSON valido");
  }

 private:
  static constexpr const char* kNotPoints = "track_in_plan non e' una lista di punti [x, y] in metri";

  bool refuse(const std::string& why) {
    if (problem.empty()) problem = why;
    points.clear();
    return false;
  }
  bool open(bool array) {
    if (++depth_ > kDeepestImportReport) {
      return refuse("annidato oltre " + std::to_string(kDeepestImportReport) + " livelli");
    }
    if (depth_ == 2 && track_next_) {
      if (!array) return refuse(kNotPoints);
      in_track_ = true;
      points.clear();  // a key given twice: the last one counts, as for the rest of the report
    } else if (in_track_ && depth_ == 3) {
      if (!array) return refuse(kNotPoints);
      if (points.size() == kMostImportedPoints) {
        return refuse("il binario ha piu' di " + std::to_string(kMostImportedPoints) + " punti");
      }
      coordinates_ = 0;
    } else if (in_track_) {
      return refuse(kNotPoints);
    }
    track_next_ = false;
    return true;
  }
  bool close() {
    --depth_;
    return true;
  }
  bool value(bool number, double v) {
    if (depth_ == 1 && track_next_) return refuse(kNotPoints);
    track_next_ = false;
    if (!in_track_) return true;
    if (depth_ != 3 || !number || !std::isfinite(v) || coordinates_ == 2) return refuse(kNotPoints);
    (coordinates_++ == 0 ? x_ : y_) = v;
    return true;
  }

  int depth_ = 0;
  bool track_next_ = false;  // the key just read names the track
  bool in_track_ = false;
  int coordinates_ = 0;
  double x_ = 0, y_ = 0;
};

}  // namespace

imported_track read_imported_track(const std::string& directory, const std::string& route) {
  const file_read read = read_file(path_in(directory, route + "_import.json"), kLargestImportReport);
  if (read.problem == read_problem::missing) return {};
  if (read.problem == read_problem::too_large) {
    return {{}, "il file supera " + std::to_string(kLargestImportReport >> 20) +
                    " MiB, il limite del resoconto di un'importazione"};
  }
  if (!read.text) return {{}, read_problem_words(read.problem)};
  track_reader reader;
  json::sax_parse(*read.text, &reader);
  return {std::move(reader.points), std::move(reader.problem)};
}

}  // namespace scenario::tool
