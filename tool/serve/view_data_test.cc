// What the live view draws from: at every zoom level no two labels of the
// plan meet, no two symbols meet, and the profile's station names stand
// clear of each other; labels keep their place from one level to the
// next where they can; the objects the page draws carry only what it
// draws them by, and the rest comes from /oggetti.json.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "content/line_definition.h"
#include "content/line_document.h"
#include "content/train_definition.h"
#include "model/test_files.h"
#include "tool/serve/http.h"
#include "tool/serve/state.h"

namespace scenario::tool {
namespace {

using json = nlohmann::json;
using scenario::testing::temp_dir;
using scenario::testing::write_file;

struct box {
  double x0, y0, x1, y1;
  bool meets(const box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// The built-in scenario's drawing, as the page receives it.
json built_in_drawing() {
  live_scenario live({"linea", "Brenvalo_Morvena", "4815"});
  live.update({line_document_bytes(line_definition_lines()), line_document_bytes(train_definition_lines())});
  return live.state().at("disegno");
}

// Where a metre lies on the plan, in metres, as the page finds it.
struct plan_points {
  explicit plan_points(const json& plan)
      : xy(plan.at("punti").get<std::vector<double>>()), step(plan.at("passo")), last(plan.at("ultimo")) {}
  std::pair<double, double> at(double m) const {
    m = std::clamp(m, 0.0, last);
    const size_t n = xy.size() / 2, i = std::min(static_cast<size_t>(m / step), n - 1), j = std::min(i + 1, n - 1);
    const double from = static_cast<double>(i) * step, to = std::min(static_cast<double>(j) * step, last);
    const double f = to > from ? (m - from) / (to - from) : 0;
    return {(xy[2 * i] + (xy[2 * j] - xy[2 * i]) * f) / 10, (xy[2 * i + 1] + (xy[2 * j + 1] - xy[2 * i + 1]) * f) / 10};
  }
  std::vector<double> xy;
  double step, last;
};

// The place a label has at `level`, or null when it is hidden there.
const json* place_at(const json& label, int level) {
  const json* found = nullptr;
  for (const json& w : label.at("dove")) {
    if (w.at(0).get<int>() > level) break;
    found = &w;
  }
  return found != nullptr && found->size() > 1 ? found : nullptr;
}

TEST(ServeView, AtEveryLevelNoTwoLabelsAndNoTwoSymbolsMeet) {
  const json d = built_in_drawing();
  const json& v = d.at("vista");
  const plan_points plan(v.at("pianta"));
  const double first = v.at("zoom").at("primo"), step = v.at("zoom").at("passo");
  const int levels = v.at("zoom").at("livelli");
  ASSERT_GE(levels, 10);
  EXPECT_DOUBLE_EQ(first + (levels - 1) * step, 2.0);  // 4 pixels per metre at the deepest

  int shown_whole = 0, shown_deep = 0, moved = 0;
  for (int level = 0; level < levels; ++level) {
    const double s = std::exp2(first + level * step);
    std::vector<box> labels;
    for (const json& e : v.at("etichette")) {
      const json* p = place_at(e, level);
      if (p == nullptr) continue;
      const auto [x, y] = plan.at(e.at("m"));
      const bool upright = p->size() > 3;
      const double w = upright ? e.at("h").get<double>() : e.at("w").get<double>();
      const double h = upright ? e.at("w").get<double>() : e.at("h").get<double>();
      const box b{x * s + p->at(1).get<double>(), -y * s + p->at(2).get<double>(), 0, 0};
      labels.push_back({b.x0, b.y0, b.x0 + w, b.y0 + h});
    }
    for (size_t i = 0; i < labels.size(); ++i) {
      for (size_t j = i + 1; j < labels.size(); ++j) {
        ASSERT_FALSE(labels[i].meets(labels[j])) << "level " << level << ": labels " << i << " and " << j;
      }
    }
    if (level == 0) shown_whole = static_cast<int>(labels.size());
    if (level == levels - 1) shown_deep = static_cast<int>(labels.size());

    std::vector<box> symbols;
    for (const json& o : d.at("oggetti")) {
      if (o.at("livello").get<int>() > level || o.at("tipo") == "stazione" || o.at("tipo") == "pendenza" ||
          o.at("tipo") == "curva" || o.at("tipo") == "galleria" || o.at("tipo") == "rallentamento") {
        continue;
      }
      const auto [x, y] = plan.at(o.at("inizio"));
      symbols.push_back({x * s - 6, -y * s - 6, x * s + 6, -y * s + 6});
    }
    for (size_t i = 0; i < symbols.size(); ++i) {
      for (size_t j = i + 1; j < symbols.size(); ++j) {
        ASSERT_FALSE(symbols[i].meets(symbols[j])) << "level " << level << ": symbols " << i << " and " << j;
      }
    }
  }
  for (const json& e : v.at("etichette")) {
    const json& where = e.at("dove");
    for (size_t i = 1; i < where.size(); ++i) moved += where[i - 1].size() > 1 && where[i].size() > 1;
  }
  // Zoomed out the plan thins its labels; zoomed in it shows them all,
  // and most keep one place all the way.
  const int all = static_cast<int>(v.at("etichette").size());
  EXPECT_LT(shown_whole, all / 2);
  EXPECT_EQ(shown_deep, all);
  EXPECT_LT(moved, all);
  // Every station's name shows once the line is 1 600 pixels long, and
  // stays from there in.
  for (const json& e : v.at("etichette")) {
    if (e.at("tipo") != "stazione") continue;
    for (int level = 4; level < levels; ++level) EXPECT_NE(place_at(e, level), nullptr) << e.at("testo") << " " << level;
  }
}

TEST(ServeView, TheProfilesStationNamesStandClearOfEachOtherAtEveryLevel) {
  const json d = built_in_drawing();
  const json& v = d.at("vista");
  const json& stations = v.at("profilo").at("stazioni");
  ASSERT_EQ(stations.size(), 12u);
  const double first = v.at("zoom").at("primo"), step = v.at("zoom").at("passo");
  for (int level = 0; level < v.at("zoom").at("livelli").get<int>(); ++level) {
    const double s = std::exp2(first + level * step);
    double before = -1e9;
    for (const json& st : stations) {
      if (st.at("livello").get<int>() > level) continue;
      const double x = st.at("m").get<double>() * s;
      EXPECT_GE(x - before, 13) << st.at("nome") << " at level " << level;
      before = x;
    }
  }
  // Ponte della Venturina and Morvena Ovest need a closer look than the
  // whole line; all names show at the deepest.
  for (const json& st : stations) EXPECT_LT(st.at("livello").get<int>(), v.at("zoom").at("livelli").get<int>());
  // The profile: one altitude per 50 m and the speed limit per cell.
  EXPECT_EQ(v.at("profilo").at("altitudini").size(), 40000u / 50 + 1);
  EXPECT_EQ(v.at("profilo").at("velocita").size(), 40000u / 50);
}

TEST(ServeView, ThePageGetsWhatItDrawsAndTheRestOnAsking) {
  live_scenario live({"linea", "Brenvalo_Morvena", "4815"});
  EXPECT_EQ(*live.objects_text(), "null");
  live.update({line_document_bytes(line_definition_lines()), line_document_bytes(train_definition_lines())});
  const json drawn = live.state().at("disegno").at("oggetti");
  const json all = json::parse(*answer_request("GET", "/oggetti.json", std::nullopt, {}, live).body);
  EXPECT_EQ(all.at("revisione"), live.state().at("disegno").at("revisione"));
  ASSERT_EQ(all.at("oggetti").size(), drawn.size());
  for (size_t i = 0; i < drawn.size(); ++i) {
    for (const char* key : {"tipo", "nome", "inizio", "fine"}) EXPECT_EQ(drawn[i].at(key), all.at("oggetti")[i].at(key));
    EXPECT_FALSE(drawn[i].contains("campi"));
    EXPECT_TRUE(all.at("oggetti")[i].contains("campi"));
  }
}

TEST(ServeView, AnImportsTrackIsSentTurnedAsThePlanOnlyWhenThereIsOne) {
  temp_dir dir;
  live_scenario live({dir.str(), "Brenvalo_Morvena", "4815"});
  const definition_texts texts = {line_document_bytes(line_definition_lines()),
                                  line_document_bytes(train_definition_lines())};
  live.update(texts);
  EXPECT_FALSE(live.state().at("disegno").at("vista").at("pianta").contains("originale"));
  // The plan's own first points: turned, they must fall on the plan's.
  write_file(dir.file("Brenvalo_Morvena_import.json"), R"({"track_in_plan": [[0, 0], [0, 1], [0, 2], [0, 100]]})");
  live.update(texts);
  const json plan = live.state().at("disegno").at("vista").at("pianta");
  const json original = plan.at("originale");
  ASSERT_EQ(original.size(), 4u);  // points closer than 5 m to the last kept are left out
  EXPECT_EQ(original[0], plan.at("punti")[0]);
  EXPECT_EQ(original[1], plan.at("punti")[1]);
  EXPECT_NEAR(std::hypot(original[2].get<double>(), original[3].get<double>()), 1000, 1);
}

}  // namespace
}  // namespace scenario::tool
