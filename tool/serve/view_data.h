// What the live view draws, as data the page draws at the zoom it shows:
// the track in metres, the profile, and for each zoom level which symbols
// show and where each label stands. The labels are placed by the tool's
// label placer, the one `scenario map` places its labels with; the page
// only shows what it placed, so labels never overlap at any zoom.
#ifndef TOOL_SERVE_VIEW_DATA_H_
#define TOOL_SERVE_VIEW_DATA_H_

#include <nlohmann/json.hpp>

#include <vector>

#include "model/model.h"
#include "model/plan_generator.h"

namespace scenario::tool {

// The zoom levels: level i shows 2^(first + i * step) screen pixels per
// metre, from the whole line in a few hundred pixels down to 4 pixels per
// metre. `objects` are the line's objects (line_objects); each gains
// "livello", the first level its symbol shows at. The result holds:
//   zoom      {primo, passo, livelli}
//   pianta    null without a plan, else {passo, ultimo, nord, punti:
//             [x, y, ...] in decimetres every `passo` metres up to the
//             metre `ultimo`, x along the line's chord and y to its left;
//             nord the screen direction of north, y down; originale,
//             when `imported` has points: the track an import took
//             from a map, [x, y, ...] in decimetres, turned as punti}
//   etichette [{testo, tipo, m, w, h, dove: [[level, dx, dy, upright?]
//             or [level] for hidden from that level on, ...]}]: at the
//             metre m, a box w x h pixels (h x w upright) whose corner
//             stands dx, dy pixels from its anchor, y down
//   profilo   {passo, altitudini, velocita (km/h per cell), stazioni:
//             [{nome, m, da, a, livello}]: the station's stretch and
//             the level from which its name shows}
nlohmann::json view_data(const scenario_model& model, nlohmann::json& objects,
                         const std::vector<plan_xy>& imported = {});

}  // namespace scenario::tool

#endif  // TOOL_SERVE_VIEW_DATA_H_
