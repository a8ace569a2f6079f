#include "tool/papers/papers_arguments.h"

#include <charconv>
#include <ostream>

#include "model/ansi_text.h"
#include "model/definition_files.h"

namespace scenario::tool {
namespace {

// The author's notes as Windows-1252: text saved as UTF-8 (with or without
// a byte order mark) is converted, anything else is taken as it is.
std::string notes_as_ansi(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) return utf8_to_ansi(text.substr(3));
  bool multi_byte = false;
  for (size_t pos = 0; pos < text.size();) {
    const size_t at = pos;
    const uint32_t c = next_code_point(text, &pos);
    if (c == 0xFFFD && text.compare(at, 3, "\xEF\xBF\xBD") != 0) return text;  // not UTF-8
    multi_byte |= c >= 0x80;
  }
  return multi_byte ? utf8_to_ansi(text) : text;
}

}  // namespace

const std::set<std::string>& papers_option_names() {
  static const std::set<std::string> names = {"--note", "--sosta", "--chilometrica"};
  return names;
}

std::optional<papers_options> papers_options_from(const arguments& args, const std::string& command,
                                                  std::ostream& err) {
  papers_options options;
  if (const auto dwell = args.value("--sosta")) {
    int seconds = -1;
    const auto [end, ec] = std::from_chars(dwell->data(), dwell->data() + dwell->size(), seconds);
    if (ec != std::errc() || end != dwell->data() + dwell->size() || seconds < 0 || seconds > 3600) {
      err << "scenario " << command << ": --sosta vuole i secondi, da 0 a 3600, non \"" << *dwell << "\"\n";
      return std::nullopt;
    }
    options.timetable.dwell = seconds;
  }
  if (const auto way = args.value("--chilometrica")) {
    if (*way != "crescente" && *way != "decrescente") {
      err << "scenario " << command << ": --chilometrica vuole crescente o decrescente, non \"" << *way << "\"\n";
      return std::nullopt;
    }
    options.kilometres_rise = *way == "crescente";
  }
  if (const auto notes = args.value("--note")) {
    const file_read read = read_file(*notes);
    if (!read.text) {
      err << "scenario " << command << ": impossibile leggere " << *notes << ": "
          << read_problem_words(read.problem) << "\n";
      return std::nullopt;
    }
    options.notes = notes_as_ansi(*read.text);
  }
  return options;
}

}  // namespace scenario::tool
