// The compiler's inner parts on synthetic definitions, to see where the time
// of a whole compile goes. The argument of each benchmark is the route
// length in metres.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "bench/synthetic_definitions.h"
#include "bench/synthetic_extract.h"
#include "model/binary_files.h"
#include "model/compile.h"
#include "model/compiled_writer.h"
#include "model/field_reader.h"
#include "model/file_names.h"
#include "model/loader.h"
#include "model/output_files.h"
#include "model/post_processing.h"
#include "tool/commands.h"
#include "tool/railway/run.h"

namespace scenario::bench {
namespace {

constexpr char kRoute[] = "Linea_Sintetica";
constexpr char kTrain[] = "9001";

// Definitions of one length in a temporary directory of their own, with the
// model they compile to; removed at exit.
struct fixture {
  std::filesystem::path directory;
  synthetic_texts texts;
  scenario_model compiled;  // line mode, post-processed and stamped

  explicit fixture(int32_t length) {
    std::random_device random;
    directory = std::filesystem::temp_directory_path() /
                ("scenario_micro_" + std::to_string(length) + "_" + std::to_string(random()));
    std::filesystem::create_directories(directory);
    texts = synthetic_definitions(length);
    write_synthetic_definitions(directory.string(), kRoute, kTrain, length);
    compiled = fresh_model();
    if (reported_fault(compile_scenario(compiled, 1, definitions()))) {
      throw std::runtime_error("synthetic definitions do not compile cleanly");
    }
  }
  ~fixture() {
    std::error_code ec;
    std::filesystem::remove_all(directory, ec);
  }
  fixture(const fixture&) = delete;
  fixture& operator=(const fixture&) = delete;

  definition_texts definitions() const { return definition_texts{texts.line, texts.train}; }
  static scenario_model fresh_model() {
    scenario_model m;
    m.identity = {kRoute, kTrain};
    return m;
  }
};

fixture& fixture_for(int64_t length) {
  static std::map<int64_t, std::unique_ptr<fixture>> fixtures;
  auto& f = fixtures[length];
  if (!f) f = std::make_unique<fixture>(static_cast<int32_t>(length));
  return *f;
}

// Every field of the line definition read as text: the tokenizer alone.
void BM_ReadFields(benchmark::State& state) {
  const std::string& text = fixture_for(state.range(0)).texts.line;
  int64_t fields = 0;
  for (auto _ : state) {
    field_reader r(text);
    while (!r.ended()) {
      benchmark::DoNotOptimize(r.read_text());
      ++fields;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["fields"] = benchmark::Counter(static_cast<double>(fields), benchmark::Counter::kAvgIterations);
}

// Both definitions read and placed, with (1) or without (0) the route plan;
// the loader keeps only the plan's stretches, so the two should be alike.
void BM_Load(benchmark::State& state, int32_t line_mode) {
  fixture& f = fixture_for(state.range(0));
  for (auto _ : state) {
    scenario_model m = fixture::fresh_model();
    m.line_mode = line_mode;
    memorizza_dati(m, f.definitions());
    benchmark::DoNotOptimize(m.route_cells.data());
  }
}
void BM_LoadWithPlan(benchmark::State& state) { BM_Load(state, 1); }
void BM_LoadWithoutPlan(benchmark::State& state) { BM_Load(state, 0); }

void BM_PostProcess(benchmark::State& state) {
  fixture& f = fixture_for(state.range(0));
  scenario_model loaded = fixture::fresh_model();
  memorizza_dati(loaded, f.definitions());  // no plan: cheap to copy
  for (auto _ : state) {
    state.PauseTiming();
    scenario_model m = loaded;
    state.ResumeTiming();
    aggiungi_codici(m);
    benchmark::DoNotOptimize(m.route_cells.data());
  }
}

// The writers encoding into a writer that only counts the bytes.
void BM_Encode(benchmark::State& state, void (*encode)(const scenario_model&, const chunk_writer&)) {
  const scenario_model& m = fixture_for(state.range(0)).compiled;
  int64_t bytes = 0;
  const chunk_writer discard = [&bytes](std::string_view chunk) { bytes += static_cast<int64_t>(chunk.size()); };
  for (auto _ : state) encode(m, discard);
  state.SetBytesProcessed(bytes);
}
void BM_EncodeRoutePlan(benchmark::State& state) { BM_Encode(state, encode_route_plan); }

// The route plan in one pass, pieces of both runs at their offsets: what
// the compile's second thread does (computing the points and encoding them).
void BM_EncodeRoutePlanPieces(benchmark::State& state) {
  const scenario_model& m = fixture_for(state.range(0)).compiled;
  int64_t bytes = 0;
  const piece_writer discard = [&bytes](uint64_t, std::string& piece) {
    bytes += static_cast<int64_t>(piece.size());
    piece.clear();
  };
  for (auto _ : state) encode_route_plan_pieces(m.plan, discard);
  state.SetBytesProcessed(bytes);
}
void BM_EncodeRouteCells(benchmark::State& state) { BM_Encode(state, encode_route_cells); }
void BM_EncodeItemTable(benchmark::State& state) { BM_Encode(state, encode_item_table); }

// The three files written and renamed into place.
void BM_WriteFiles(benchmark::State& state) {
  fixture& f = fixture_for(state.range(0));
  for (auto _ : state) write_compiled_files(f.compiled, f.directory.string());
}

// The whole compile in one process: what `scenario compile` does.
void BM_Compile(benchmark::State& state) {
  fixture& f = fixture_for(state.range(0));
  for (auto _ : state) {
    scenario_model m = fixture::fresh_model();
    benchmark::DoNotOptimize(memorizza_percorso(m, 1, f.definitions(), f.directory.string()));
  }
}

constexpr int64_t kShort = 99000;
constexpr int64_t kLong = 990000;

BENCHMARK(BM_ReadFields)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWithPlan)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWithoutPlan)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostProcess)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRoutePlan)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRoutePlanPieces)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRouteCells)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeItemTable)->Arg(kLong)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFiles)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);
// The fastest run along 990 000 m with 1 000 stops, a limit that changes
// every 5 km and gradients that change every 500 m, on points 1 m apart:
// what the railway checks compute on each change of the definitions.
void BM_FastestRun(benchmark::State& state) {
  constexpr int32_t kLength = 990000;
  tool::run_line line;
  line.length = kLength;
  for (int32_t cell = 0; cell <= kLength / 50; ++cell) {
    line.cell_limit.push_back((cell / 100) % 2 == 0 ? 80.0 : 120.0);
    line.cell_gradient.push_back(static_cast<double>((cell / 10) % 21) - 10);
  }
  for (int32_t m = 20000; m < kLength; m += 50000) line.restrictions.push_back({m, m + 500, 30});
  std::vector<double> stops;
  for (int i = 1; i < 1000; ++i) stops.push_back(static_cast<double>(i) * (kLength / 1000));
  for (auto _ : state) {
    const tool::run_profile run = tool::fastest_run(line, tool::train_model{}, 0, kLength, stops);
    benchmark::DoNotOptimize(run.time.back());
  }
}
BENCHMARK(BM_FastestRun)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Compile)->Arg(kShort)->Arg(kLong)->Unit(benchmark::kMillisecond);

// scenario import of a 100 km line from a generated extract padded with
// the argument's count of other nodes (8 million make about 55 MB).
void BM_Import(benchmark::State& state) {
  std::random_device random;
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("scenario_import_" + std::to_string(random()));
  std::filesystem::create_directories(directory);
  const std::string extract = (directory / "linea.osm.pbf").string();
  write_synthetic_extract(extract, 100000, state.range(0));
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(extract)) / 1e6;
  int run = 0;
  for (auto _ : state) {
    const std::string out = (directory / ("out" + std::to_string(run++))).string();
    std::ostringstream sink, err;
    if (tool::run_import({extract, "--from", "Origine", "--to", "Termine", "--route", "Bench", "--train", "1", "-o",
                          out},
                         sink, err) != 0) {
      state.SkipWithError(err.str().c_str());
      break;
    }
  }
  std::filesystem::remove_all(directory);
}
BENCHMARK(BM_Import)->Arg(100000)->Arg(8000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace scenario::bench

BENCHMARK_MAIN();
