// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/state_json.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <variant>

#include "game/state_fields.h"

namespace ZapModule {

namespace {

template <typename Record, size_t N>
Json RecordToJson(const Record& r, const std::array<Field<Record>, N>& fields) {
    Json j = Json::object();
    for (const Field<Record>& f : fields)
        std::visit([&](auto member) { j[f.Name] = r.*member; }, f.Member);
    return j;
}

template <typename Record, size_t N, typename Container>
Json ListToJson(const Container& records, const std::array<Field<Record>, N>& fields) {
    Json j = Json::array();
    for (const Record& r : records) j.push_back(RecordToJson(r, fields));
    return j;
}

template <typename Int>
Int IntegerValue(const Json& v, const std::string& where) {
    if (!v.is_number_integer()) throw std::invalid_argument(where + " must be a whole number");
    const int64_t n = v.get<int64_t>();
    if (n < std::numeric_limits<Int>::min() || n > std::numeric_limits<Int>::max())
        throw std::invalid_argument(where + " is out of range");
    return static_cast<Int>(n);
}

void Assign(int16_t& field, const Json& v, const std::string& where) {
    field = IntegerValue<int16_t>(v, where);
}
void Assign(int32_t& field, const Json& v, const std::string& where) {
    field = IntegerValue<int32_t>(v, where);
}
void Assign(float& field, const Json& v, const std::string& where) {
    if (!v.is_number()) throw std::invalid_argument(where + " must be a number");
    field = v.get<float>();
}

template <typename Record, size_t N>
Record RecordFromJson(const Json& j, const std::array<Field<Record>, N>& fields,
                      const std::string& where) {
    if (!j.is_object()) throw std::invalid_argument(where + " must be an object");
    Record r{};
    for (const auto& item : j.items()) {
        // Named apart rather than bound: clang before 16 (emscripten's) lets no lambda capture a
        // structured binding.
        const std::string& key = item.key();
        const Json& value = item.value();
        bool known = false;
        for (const Field<Record>& f : fields) {
            if (key != f.Name) continue;
            std::visit([&](auto member) { Assign(r.*member, value, where + "." + key); }, f.Member);
            known = true;
        }
        if (!known) throw std::invalid_argument(where + " has no field " + key);
    }
    return r;
}

template <typename Record, size_t N>
std::vector<Record> ListFromJson(const Json& j, const std::array<Field<Record>, N>& fields,
                                 const std::string& name) {
    if (!j.is_array()) throw std::invalid_argument(name + " must be an array");
    if (j.size() > 32767) throw std::invalid_argument(name + " holds more than 32767 elements");
    std::vector<Record> records;
    for (size_t i = 0; i < j.size(); ++i)
        records.push_back(RecordFromJson(j[i], fields, name + "[" + std::to_string(i) + "]"));
    return records;
}

template <typename Int, size_t N>
void ArrayFromJson(const Json& j, Int* first, const std::string& name) {
    if (!j.is_array() || j.size() != N)
        throw std::invalid_argument(name + " must be an array of " + std::to_string(N));
    for (size_t i = 0; i < N; ++i) Assign(first[i], j[i], name);
}

void ApplyKey(GameState& s, const std::string& key, const Json& v) {
    for (const Field<GameData>& f : kScalarFields) {
        if (key != f.Name) continue;
        std::visit([&](auto member) { Assign(s.*member, v, key); }, f.Member);
        return;
    }
    if (key == "BatRect") {
        s.BatRect = RecordFromJson(v, kRectFields, key);
    } else if (key == "BonusTimers") {
        ArrayFromJson<int16_t, kBonusKinds>(v, &s.BonusTimers[1], key);
    } else if (key == "ButtonDown") {
        ArrayFromJson<int16_t, 2>(v, s.ButtonDown.data(), key);
    } else if (key == "SoundHandles") {
        ArrayFromJson<int16_t, 8>(v, s.SoundHandles.data(), key);
    } else if (key == "Balls") {
        s.Balls = ListFromJson(v, kBallFields, key);
        s.BallRects.assign(s.Balls.size(), Rect{});
    } else if (key == "Movers") {
        s.Movers = ListFromJson(v, kMoverFields, key);
        s.MoverRects.assign(s.Movers.size(), Rect{});
    } else if (key == "Animations") {
        s.Animations = ListFromJson(v, kAnimationFields, key);
    } else if (key == "Explosions") {
        s.Explosions = ListFromJson(v, kMoverFields, key);
    } else if (key == "Bricks") {
        s.Bricks = ListFromJson(v, kBrickFields, key);
        s.BrickRects.clear();
        for (const BrickRecord& b : s.Bricks) s.BrickRects.push_back(CellRect(b.X, b.Y));
    } else if (key == "Bonuses") {
        s.Bonuses = ListFromJson(v, kBonusFields, key);
        s.BonusRects.clear();
        for (const BonusRecord& b : s.Bonuses) s.BonusRects.push_back(CellRect(b.X, b.Y));
    } else {
        throw std::invalid_argument("unknown state variable " + key);
    }
}

// Rectangle lists come after their records, whatever the order of the keys.
void ApplyRects(GameState& s, const std::string& key, const Json& v) {
    std::vector<Rect>* rects = key == "BallRects"    ? &s.BallRects
                               : key == "MoverRects" ? &s.MoverRects
                               : key == "BrickRects" ? &s.BrickRects
                                                     : &s.BonusRects;
    const size_t count = key == "BallRects"    ? s.Balls.size()
                         : key == "MoverRects" ? s.Movers.size()
                         : key == "BrickRects" ? s.Bricks.size()
                                               : s.Bonuses.size();
    std::vector<Rect> list = ListFromJson(v, kRectFields, key);
    if (list.size() != count)
        throw std::invalid_argument(key + " must hold one rectangle per record");
    *rects = std::move(list);
}

bool IsRectList(const std::string& key) {
    return key == "BallRects" || key == "MoverRects" || key == "BrickRects" || key == "BonusRects";
}

}  // namespace

Json StateToJson(const GameState& s) {
    Json j = Json::object();
    for (const Field<GameData>& f : kScalarFields)
        std::visit([&](auto member) { j[f.Name] = s.*member; }, f.Member);
    j["BatRect"] = RecordToJson(s.BatRect, kRectFields);
    j["BonusTimers"] = std::vector<int16_t>(s.BonusTimers.begin() + 1, s.BonusTimers.end());
    j["ButtonDown"] = s.ButtonDown;
    j["ButtonRects"] = ListToJson(s.ButtonRects, kRectFields);
    j["SoundHandles"] = s.SoundHandles;
    j["Balls"] = ListToJson(s.Balls, kBallFields);
    j["BallRects"] = ListToJson(s.BallRects, kRectFields);
    j["Movers"] = ListToJson(s.Movers, kMoverFields);
    j["MoverRects"] = ListToJson(s.MoverRects, kRectFields);
    j["Explosions"] = ListToJson(s.Explosions, kMoverFields);
    j["Bricks"] = ListToJson(s.Bricks, kBrickFields);
    j["BrickRects"] = ListToJson(s.BrickRects, kRectFields);
    j["Bonuses"] = ListToJson(s.Bonuses, kBonusFields);
    j["BonusRects"] = ListToJson(s.BonusRects, kRectFields);
    j["Animations"] = ListToJson(s.Animations, kAnimationFields);
    return j;
}

std::string ApplyJsonState(GameState& s, const Json& state) {
    if (!state.is_object()) return "the state must be a JSON object";
    try {
        for (const auto& [key, value] : state.items())
            if (!IsRectList(key)) ApplyKey(s, key, value);
        for (const auto& [key, value] : state.items())
            if (IsRectList(key)) ApplyRects(s, key, value);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return {};
}

}  // namespace ZapModule
