// The printed forms of an evaluation: a readable table (six decimals), CSV and
// JSON (every double in its shortest exact form). Integer outputs are item
// identifiers; the table and CSV name the item as well.
#pragma once

#include <string>

#include "scenehost/evaluation.h"
#include "scenehost/scene_file.h"

namespace kv::scenehost {

std::string formatTable(const Evaluation& evaluation, const SceneFile& file);
// Columns frame,time,node,output,type,x,y,z,item: a scalar fills x; an integer
// fills x (decimal) and item (its name).
std::string formatCsv(const Evaluation& evaluation, const SceneFile& file);
// {"fps": ..., "frames": [{"frame": 0, "time": 0.0, "nodes": {"node": {"output": value}}}]}
// with vectors as [x, y, z], scalars as numbers and integers as numbers.
std::string formatJson(const Evaluation& evaluation);

}  // namespace kv::scenehost
