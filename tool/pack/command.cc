// scenario pack DIR --route NAME --train NUMBER -o FILE [--program FILE]
#include <filesystem>
#include <optional>
#include <set>
#include <ostream>

#include "content/built_in_identity.h"
#include "model/ansi_text.h"
#include "model/binary_files.h"
#include "model/definition_files.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "model/output_files.h"
#include "model/packed_scenario.h"
#include "model/program_scenario.h"
#include "tool/commands.h"
#include "tool/definition_findings.h"
#include "tool/definitions.h"
#include "tool/pack/own_program.h"
#include "tool/pack/zip_archive.h"
#include "tool/pack/zip_readme.h"
#include "tool/papers/papers.h"
#include "tool/papers/papers_arguments.h"

namespace scenario::tool {
namespace {

constexpr char kHelp[] =
    "uso: scenario pack DIR --route NOME --train NUMERO -o FILE [--program PROGRAMMA]\n"
    "                   [--note FILE] [--sosta S] [--chilometrica crescente|decrescente]\n"
    "Prepara da distribuire lo scenario delle definizioni della cartella DIR.\n"
    "Con -o FILE.zip scrive un archivio con i tre file compilati, i tre documenti per il\n"
    "macchinista, le due definizioni e un LEGGIMI.txt che dice come installarli.\n"
    "Con ogni altro nome scrive un programma che per questo scenario fa cio' che\n"
    "Brenvalo_Morvena_4815 fa per il proprio: avviato in una cartella mostra \"Attendere\",\n"
    "vi scrive le definizioni, le compila, scrive i tre documenti e si chiude da solo.\n"
    "Il programma e' una copia di Brenvalo_Morvena_4815 che sta accanto a scenario (sotto\n"
    "Windows il .exe), con lo scenario aggiunto in coda; non serve un compilatore.\n"
    "I documenti sono quelli di scenario documenti, con le stesse opzioni:\n"
    SCENARIO_PAPERS_OPTIONS_HELP
    "  --program PROGRAMMA  parte da questo programma invece (da Linux, il .exe dello zip\n"
    "                       per Windows prepara un programma per Windows)\n"
    "FILE non deve esistere: pack non sostituisce mai un file. Le definizioni devono\n"
    "compilare senza errori.\n"
    "Uscita: 0 scritto, 1 errore nelle definizioni, 2 comando o file non validi.\n";

// The image of the program to append to, or why it cannot be used.
struct program_base {
  std::string image;
  std::string problem;
};
program_base read_program(const std::string& path) {
  const file_read read = read_file(path, kLargestProgramFile);
  if (read.problem == read_problem::too_large) {
    return {{}, "il programma " + path + " supera " + std::to_string(kLargestProgramFile >> 20) +
                    " MiB, il limite di un programma a cui aggiungere uno scenario"};
  }
  if (!read.text) return {{}, "impossibile leggere il programma " + path + ": " + read_problem_words(read.problem)};
  const std::optional<std::string> image = program_to_pack(*read.text);
  const std::string mark = std::string(SCENARIO_PACK_READER_MARK_HEAD) + SCENARIO_PACK_READER_MARK_TAIL;
  if (!image || image->find(mark) == std::string::npos) {
    return {{}, path + " non e' il programma dello scenario (o e' di una versione che non legge scenari allegati)"};
  }
  // A program that carries a scenario already is packed afresh from its
  // image: the scenario it carried is dropped, and so is a signature.
  return {*image, {}};
}

}  // namespace

int run_pack(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  int status = kExitClean;
  std::set<std::string> with_value = papers_option_names();
  with_value.insert({"-o", "--program"});
  const auto start = start_command("pack", words, with_value, {}, kHelp, out, err, &status);
  if (!start) return status;
  const std::optional<papers_options> options = papers_options_from(start->args, "pack", err);
  if (!options) return kExitUsage;
  const definition_set& set = start->set;
  const std::string target = start->args.value("-o").value_or("");
  if (target.empty()) {
    err << "scenario: manca -o FILE (un programma, o FILE.zip per un archivio)\n" << kHelp;
    return kExitUsage;
  }
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
    err << "scenario: " << target << " esiste gia': pack non sostituisce mai un file, scegliere un altro nome\n";
    return kExitUsage;
  }

  // The scenario must compile clean: a program that only shows a fault
  // number is no scenario to hand out.
  const definition_check found = check_definitions(start->texts, {set.route, set.train});
  if (found.reported) {
    err << format_fault(found.reported, set.paths());
    err << "scenario: le definizioni hanno un errore: nulla e' stato scritto\n";
    return kExitFault;
  }
  const scenario_model& model = found.compiled;

  packed_scenario packed;
  packed.id = {set.route, set.train};
  packed.line_definition = *start->texts.line;
  packed.train_definition = *start->texts.train;
  for (paper& p : driver_papers(model, found.records, *options)) {
    packed.papers.push_back({std::move(p.file_name), std::move(p.bytes)});
  }

  // The names the program would write, judged as its reader judges them.
  if (const std::optional<std::string> problem = packed_names_problem(packed)) {
    err << "scenario: " << *problem << ": nulla e' stato scritto\n";
    return kExitUsage;
  }

  std::string bytes;
  const bool zip = to_lower_ansi(target).ends_with(".zip");
  if (zip) {
    std::vector<zip_entry> entries = {
        {route_plan_name(set.route), route_plan_bytes(model)},
        {item_table_name(set.route, set.train), item_table_bytes(model)},
        {route_cells_name(set.route, set.train), route_cells_bytes(model)},
    };
    for (const packed_file& paper : packed.papers) entries.push_back({paper.name, paper.bytes});
    entries.push_back({line_definition_name(set.route), packed.line_definition});
    entries.push_back({train_definition_name(set.route, set.train), packed.train_definition});
    entries.push_back({"LEGGIMI.txt", zip_readme(packed.id)});
    const std::string folder = set.route + "_" + set.train + "/";
    for (zip_entry& e : entries) e.name = folder + e.name;
    bytes = zip_archive(entries);
  } else {
    const std::string program = start->args.value("--program").value_or(program_beside_tool());
    const program_base base = read_program(program);
    if (!base.problem.empty()) {
      err << "scenario: " << base.problem << "\n";
      return kExitUsage;
    }
    bytes = base.image + encode_packed_scenario(packed);
  }
  try {
    replace_file(target, bytes);
  } catch (const file_error& e) {
    err << "scenario: " << e.what() << "\n";
    return kExitUsage;
  }
  if (!zip) {
    // The copy runs as its program did.
    using std::filesystem::perms;
    std::filesystem::permissions(target, perms::owner_exec | perms::group_exec | perms::others_exec,
                                 std::filesystem::perm_options::add, ec);
  }
  out << "scritto " << target << " (" << bytes.size() << " byte)\n";
  return kExitClean;
}

}  // namespace scenario::tool
