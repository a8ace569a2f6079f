#include "model/packed_scenario.h"

#include "model/coding.h"
#include "model/crc32.h"
#include "model/file_names.h"
#include "model/written_names.h"

namespace scenario {
namespace {

enum file_kind : uint8_t { kLineDefinition = 0, kTrainDefinition = 1, kPaper = 2 };

void put_text16(std::string* out, std::string_view text) {
  put_u16(out, static_cast<uint16_t>(text.size()));
  out->append(text);
}

void put_file(std::string* out, file_kind kind, std::string_view name, std::string_view bytes) {
  put_u8(out, kind);
  put_text16(out, name);
  put_u32(out, static_cast<uint32_t>(bytes.size()));
  out->append(bytes);
}

bool get_text16(std::string_view* in, std::string* text) {
  uint16_t size = 0;
  if (!get_u16(in, &size) || in->size() < size) return false;
  text->assign(in->substr(0, size));
  in->remove_prefix(size);
  return true;
}

bool get_text32(std::string_view* in, std::string* text) {
  uint32_t size = 0;
  if (!get_u32(in, &size) || in->size() < size) return false;
  text->assign(in->substr(0, size));
  in->remove_prefix(size);
  return true;
}

damaged_pack damaged(const std::string& what) { return damaged_scenario(what); }

}  // namespace

damaged_pack damaged_scenario(const std::string& what) { return damaged_pack{"scenario allegato al programma " + what}; }

std::optional<std::string> packed_names_problem(const packed_scenario& scenario) {
  const scenario_identity& id = scenario.id;
  if (auto problem = identity_problem(id.route_name, id.train_number)) return problem;
  std::vector<std::string> names = {line_definition_name(id.route_name),
                                    train_definition_name(id.route_name, id.train_number),
                                    route_plan_name(id.route_name), item_table_name(id.route_name, id.train_number),
                                    route_cells_name(id.route_name, id.train_number)};
  for (const packed_file& paper : scenario.papers) names.push_back(paper.name);
  if (auto problem = written_names_problem(names)) return problem;
  // A paper is one of the scenario's own papers, "<route>_<train>_X.txt":
  // a pack never names another file of the program's folder (its LEGGIMI,
  // an author's own file), which writing the paper would replace.
  const std::string own = document_name(id.route_name, id.train_number, "");
  for (const packed_file& paper : scenario.papers) {
    if (paper.name.size() <= own.size() + 4 || !paper.name.starts_with(own) || !paper.name.ends_with(".txt")) {
      return "il nome \"" + paper.name + "\" non e' quello di un foglio dello scenario (" + own + "....txt)";
    }
  }
  return std::nullopt;
}

std::string encode_packed_scenario(const packed_scenario& scenario) {
  std::string payload;
  put_text16(&payload, scenario.id.route_name);
  put_text16(&payload, scenario.id.train_number);
  put_u32(&payload, static_cast<uint32_t>(2 + scenario.papers.size()));
  put_file(&payload, kLineDefinition, line_definition_name(scenario.id.route_name), scenario.line_definition);
  put_file(&payload, kTrainDefinition, train_definition_name(scenario.id.route_name, scenario.id.train_number),
           scenario.train_definition);
  for (const packed_file& paper : scenario.papers) put_file(&payload, kPaper, paper.name, paper.bytes);
  std::string out = payload;
  put_u64(&out, payload.size());
  put_u32(&out, crc32(payload));
  put_u32(&out, kPackVersion);
  out.append(kPackMark);
  return out;
}

carried_scenario read_packed_scenario(std::string_view file, uint64_t image_size) {
  if (image_size >= file.size()) return no_packed_scenario{};
  const std::string_view appended = file.substr(image_size);
  if (appended.size() < kPackTrailerSize || appended.substr(appended.size() - kPackMark.size()) != kPackMark) {
    return damaged("incompleto: manca la chiusura (il file e' stato troncato o alterato)");
  }
  std::string_view trailer = appended.substr(appended.size() - kPackTrailerSize);
  uint64_t payload_size = 0;
  uint32_t checksum = 0, version = 0;
  get_u64(&trailer, &payload_size);
  get_u32(&trailer, &checksum);
  get_u32(&trailer, &version);
  if (version != kPackVersion) {
    return damaged("di versione " + std::to_string(version) + ": questo programma legge la versione " +
                   std::to_string(kPackVersion));
  }
  if (payload_size != appended.size() - kPackTrailerSize) {
    return damaged("incompleto: dichiara " + std::to_string(payload_size) + " byte, ne sono presenti " +
                   std::to_string(appended.size() - kPackTrailerSize));
  }
  std::string_view in = appended.substr(0, payload_size);
  if (crc32(in) != checksum) return damaged("danneggiato: la somma di controllo non corrisponde");

  packed_scenario scenario;
  uint32_t count = 0;
  if (!get_text16(&in, &scenario.id.route_name) || !get_text16(&in, &scenario.id.train_number) ||
      !get_u32(&in, &count)) {
    return damaged("non leggibile: intestazione incompleta");
  }
  if (const auto problem = identity_problem(scenario.id.route_name, scenario.id.train_number)) {
    return damaged("non valido: " + *problem);
  }
  bool line = false, train = false;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t kind = 0;
    packed_file f;
    if (!get_u8(&in, &kind) || !get_text16(&in, &f.name) || !get_text32(&in, &f.bytes)) {
      return damaged("non leggibile: file " + std::to_string(i + 1) + " incompleto");
    }
    if (kind == kLineDefinition && !line && f.name == line_definition_name(scenario.id.route_name)) {
      scenario.line_definition = std::move(f.bytes);
      line = true;
    } else if (kind == kTrainDefinition && !train &&
               f.name == train_definition_name(scenario.id.route_name, scenario.id.train_number)) {
      scenario.train_definition = std::move(f.bytes);
      train = true;
    } else if (kind == kPaper) {
      scenario.papers.push_back(std::move(f));
    } else {
      return damaged("non valido: file \"" + f.name + "\" inatteso");
    }
  }
  if (!in.empty()) return damaged("non valido: byte in piu' dopo l'ultimo file");
  if (!line || !train) return damaged("non valido: mancano le definizioni");
  // Every name as `pack` judged it: a paper takes the place of no other
  // file, of the program's own or of the author's.
  if (const auto problem = packed_names_problem(scenario)) return damaged("non valido: " + *problem);
  return scenario;
}

}  // namespace scenario
