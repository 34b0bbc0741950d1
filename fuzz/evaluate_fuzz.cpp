// SPDX-License-Identifier: MIT
// Evaluates nodes of every kind over scenes built from the input: a hierarchy
// of objects, lights, cameras and bones (some of whose owners are removed
// again), each value constant or keyed, drawn from ordinary numbers and edges
// (NaN, infinities, ±1e300, subnormals, zero scale), with parents and lists
// that may loop. Then, round by round, a
// node of any family and kind with any items, time mode, panel time and
// current time, its Item and Time inputs connected or not, evaluates every
// output. Besides the sanitizers' checks: every evaluation delivers exactly one
// value; a handle that is not the node's, and a sampled item of 0, deliver
// zeros; and when every value of the scene and every time is finite with
// magnitude at most 1e6 and every scale at least 1e-3 in magnitude, no output
// holds a NaN.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/byte_reader.h"
#include "fuzz/entry_points.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_values.h"
#include "fuzz/node_servers.h"
#include "host/host.h"

namespace kv::fuzz {
namespace {

constexpr std::size_t MAX_ITEMS = 10;
constexpr std::size_t MAX_ROUNDS = 12;
constexpr double TAME_LIMIT = 1e6;
constexpr double TAME_SCALE = 1e-3;

// A value tame enough that the module must not turn it into a NaN.
bool tame(double value, bool scale) {
  const double magnitude = std::fabs(value);
  return std::isfinite(value) && magnitude <= TAME_LIMIT && (!scale || magnitude >= TAME_SCALE);
}

bool hasNaN(const host::OutputValue& value) {
  return std::isnan(value.scalar) ||
         std::any_of(value.vector.begin(), value.vector.end(), [](double v) { return std::isnan(v); });
}

bool isZero(const host::OutputValue& value) {
  return value.scalar == 0.0 && value.integer == 0 &&
         std::all_of(value.vector.begin(), value.vector.end(), [](double v) { return v == 0.0; });
}

// A scene built from the input, and whether all its values are tame.
class FuzzedScene {
 public:
  explicit FuzzedScene(ByteReader& in) : in_(in) {
    const std::size_t count = 1 + in.choice(MAX_ITEMS);
    for (std::size_t i = 0; i < count; ++i) addItem();
    const std::uint8_t edits = in.byte();
    // Removing an object takes its bones out of the lists; nodes may still name them.
    if (edits & 1) scene_.remove(items_[in.byte() % items_.size()]);
    // Links a damaged host might hand out: a parent that may close a loop, and
    // a list whose last item leads back into it.
    if (edits & 2) {
      const ItemId child = anyItem();
      const ItemId parent = anyItem();
      if (scene_.contains(child)) scene_.setParent(child, parent);
    }
    if (edits & 4) {
      if (const ItemId back = anyItem(); scene_.contains(back)) scene_.loopListBackTo(back);
    }
  }

  host::Scene& scene() { return scene_; }
  const std::vector<ItemId>& items() const { return items_; }
  bool tame() const { return tame_; }

 private:
  ItemId anyItem() { return items_[in_.byte() % items_.size()]; }

  void addItem() {
    const ItemId parent = [&]() -> ItemId {
      const std::size_t pick = in_.choice(static_cast<unsigned>(items_.size()) + 1);
      return pick == 0 ? 0 : items_[pick - 1];  // an earlier item: the hierarchy has no cycles
    }();
    const std::string name = "I" + std::to_string(items_.size());
    ItemId id = 0;
    switch (in_.choice(4)) {
      case 0:
        id = scene_.addObject(name, parent);
        break;
      case 1:
        id = scene_.addLight(name, parent);
        break;
      case 2:
        id = scene_.addCamera(name, parent);
        break;
      default: {
        const std::vector<ItemId>& objects = scene_.list(IT_OBJECT);
        const std::uint8_t owner = in_.byte();
        id = objects.empty() ? scene_.addObject(name, parent)
                             : scene_.addBone(objects[owner % objects.size()], name, parent);
      }
    }
    items_.push_back(id);
    for (int code : {PARAM_POSITION, PARAM_ROTATION, PARAM_SCALING, PARAM_PIVOT, PARAM_PIVOT_ROTATION}) {
      setChannel(id, code);
    }
    if (host::itemTypeOf(id) == IT_BONE && (in_.byte() & 1)) {
      const host::Triple restPosition = triple(false);
      const host::Triple restRotation = triple(false);
      scene_.setRest(id, PARAM_POSITION, restPosition);
      scene_.setRest(id, PARAM_ROTATION, restRotation);
    }
  }

  void setChannel(ItemId id, int code) {
    const bool scale = code == PARAM_SCALING;
    switch (in_.choice(3)) {
      case 0:
        break;  // the default: zeros, or a scale of one
      case 1:
        scene_.setParam(id, code, triple(scale));
        break;
      default: {
        std::vector<host::Key> keys(2 + in_.choice(2));
        for (host::Key& key : keys) {
          key.time = static_cast<std::int8_t>(in_.byte()) / 4.0;
          key.value = triple(scale);
        }
        // Between keys of one sign a scale stays clear of zero.
        for (std::size_t c = 0; c < 3 && scale; ++c) {
          const bool sameSign = std::all_of(keys.begin(), keys.end(), [&](const host::Key& key) {
            return std::signbit(key.value[c]) == std::signbit(keys[0].value[c]);
          });
          tame_ = tame_ && sameSign;
        }
        scene_.setParamKeys(id, code, std::move(keys));
      }
    }
  }

  host::Triple triple(bool scale) {
    host::Triple out;
    for (double& v : out) v = value(scale);
    return out;
  }

  // Mostly ordinary values (a scale near one), then wide ones, then edges.
  double value(bool scale) {
    constexpr double edges[] = {std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::denorm_min(),
                                -std::numeric_limits<double>::denorm_min(),
                                0.0,
                                -0.0,
                                TAME_LIMIT,
                                -TAME_LIMIT,
                                TAME_SCALE,
                                -TAME_SCALE,
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::epsilon(),
                                1.5707963267948966 /* a quarter turn */};
    const std::uint8_t pick = in_.byte();
    double v = 0.0;
    if (pick < 128) {
      const double step = static_cast<std::int8_t>(in_.byte());
      v = scale ? 1.0 + step / 16.0 : step / 4.0;
    } else if (pick < 192) {
      v = in_.raw<std::int32_t>() / 1024.0;  // up to about ±2e6
    } else {
      v = edges[pick % std::size(edges)];
    }
    tame_ = tame_ && fuzz::tame(v, scale);
    return v;
  }

  ByteReader& in_;
  host::Scene scene_;
  std::vector<ItemId> items_;
  bool tame_ = true;
};

class Session {
 public:
  explicit Session(ByteReader& in) : in_(in), scene_(in) { services_.calls().setEnabled(false); }

  void run() {
    for (std::size_t round = 0; round < MAX_ROUNDS && !in_.empty(); ++round) evaluateNode();
  }

 private:
  // A time: ordinary, huge or not finite.
  double anyTime() {
    double time = 0.0;
    const std::uint8_t pick = in_.byte();
    if (pick < 192) {
      time = static_cast<std::int8_t>(in_.byte()) / 8.0;
    } else {
      constexpr double edges[] = {
          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e300, TAME_LIMIT, -0.0,
          std::numeric_limits<double>::denorm_min()};
      time = edges[pick % std::size(edges)];
    }
    timesTame_ = timesTame_ && tame(time, false);
    return time;
  }

  void evaluateNode() {
    const bool bone = in_.byte() & 1;
    host::HostNode node(services_, module(), nodeServer(bone, in_.byte()));
    timesTame_ = true;

    // The settings come in through load: any identifiers, time and mode.
    std::vector<host::StoredValue> ids;
    for (int i = 0; i < (bone ? 2 : 1); ++i) ids.emplace_back(anyItemId(in_, scene_.items()));
    const ItemId selected = std::get<std::uint32_t>(ids.back());
    const double panelTime = anyTime();
    const unsigned modePick = in_.choice(4);
    const std::int32_t mode = modePick < 3 ? static_cast<std::int32_t>(modePick) : anyInt32(in_);
    host::SavedState state;
    state.add(BLOCK_IDS, "ids", std::move(ids)).add(BLOCK_TIME, "time", {panelTime}).add(BLOCK_MODE, "mode", {mode});
    node.load(state);

    ItemId sampled = selected;
    if (in_.byte() & 1) {
      sampled = anyItemId(in_, scene_.items());
      node.connectInteger("Item", static_cast<std::int32_t>(sampled));
    }
    if (in_.byte() & 1) node.connectScalar("Time", anyTime());
    const int frame = anyInt32(in_);
    node.newTime(frame, anyTime());

    const std::size_t outputs = node.outputs().size();
    const bool reversed = in_.byte() & 1;
    for (std::size_t i = 0; i < outputs; ++i) {
      const host::OutputValue value = node.evaluate(reversed ? outputs - 1 - i : i);
      FUZZ_CHECK(value.deliveries == 1, "an evaluation delivers exactly one value");
      FUZZ_CHECK(!(scene_.tame() && timesTame_) || !hasNaN(value), "tame scene values and times give no NaN");
      FUZZ_CHECK(sampled != 0 || isZero(value), "a sampled item of 0 gives zeros");
    }
    const host::OutputValue foreign = node.evaluateHandle(nullptr, CT_VECTOR);
    FUZZ_CHECK(foreign.deliveries == 1 && isZero(foreign), "a handle that is not the node's gives zeros");
  }

  ByteReader& in_;
  FuzzedScene scene_;
  host::ServiceHost services_{scene_.scene()};
  bool timesTame_ = true;  // the times of the current round
};

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) { return kv::fuzz::loadModuleBeforeFuzzing(); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kv::fuzz::runSession<kv::fuzz::Session>(data, size);
}
