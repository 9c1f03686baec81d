// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/state_difference.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <variant>
#include <vector>

#include "game/state_fields.h"

namespace ZapModule {

namespace {

template <typename Value>
std::string Text(const Value& v) {
    if constexpr (std::is_same_v<Value, float>) {
        char text[32];  // nine digits tell any two floats apart
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
        return text;
    } else if constexpr (std::is_same_v<Value, std::string>) {
        return '"' + v + '"';
    } else if constexpr (std::is_same_v<Value, Rect>) {
        return "(" + Text(v.Left) + ", " + Text(v.Top) + ", " + Text(v.Right) + ", " +
               Text(v.Bottom) + ")";
    } else {
        return std::to_string(v);
    }
}

// Collects the named differences, up to the limit.
class Differences {
  public:
    explicit Differences(size_t limit) : limit_(limit) {}

    bool Full() const { return found_.size() >= limit_; }
    bool Empty() const { return found_.empty(); }

    void Add(const std::string& name, const std::string& a, const std::string& b) {
        if (!Full()) found_.push_back(name + ": " + a + " != " + b);
    }

    template <typename Value>
    void Compare(const std::string& name, const Value& a, const Value& b) {
        if (!(a == b)) Add(name, Text(a), Text(b));
    }

    template <typename Record, size_t N>
    void CompareFields(const std::string& name, const Record& a, const Record& b,
                       const std::array<Field<Record>, N>& fields) {
        for (const Field<Record>& f : fields)
            std::visit([&](auto member) { Compare(name + "." + f.Name, a.*member, b.*member); },
                       f.Member);
    }

    // A collection: its length, then each element both hold, by `compare`.
    template <typename Container, typename CompareElement>
    void CompareList(const std::string& name, const Container& a, const Container& b,
                     CompareElement compare) {
        if (a.size() != b.size()) Add(name + ".size()", Text(a.size()), Text(b.size()));
        for (size_t i = 0; i < std::min(a.size(), b.size()) && !Full(); ++i)
            compare(name + "[" + std::to_string(i) + "]", a[i], b[i]);
    }

    template <typename Record, size_t N>
    void CompareRecords(const std::string& name, const std::vector<Record>& a,
                        const std::vector<Record>& b, const std::array<Field<Record>, N>& fields) {
        CompareList(name, a, b, [&](const std::string& element, const Record& x, const Record& y) {
            CompareFields(element, x, y, fields);
        });
    }

    template <typename Value, typename Container>
    void CompareValues(const std::string& name, const Container& a, const Container& b) {
        CompareList(name, a, b, [&](const std::string& element, const Value& x, const Value& y) {
            Compare(element, x, y);
        });
    }

    // A picture: its size, then its first differing pixel in reading order.
    void CompareSurfaces(const std::string& name, const Surface& a, const Surface& b) {
        if (a == b) return;
        if (a.Width() != b.Width() || a.Height() != b.Height()) {
            Add(name, Text(a.Width()) + " × " + Text(a.Height()),
                Text(b.Width()) + " × " + Text(b.Height()));
            return;
        }
        for (int32_t y = 0; y < a.Height(); ++y)
            for (int32_t x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) {
                    Add(name + " pixel (" + Text(x) + ", " + Text(y) + ")", Hex(a.Pixel(x, y)),
                        Hex(b.Pixel(x, y)));
                    return;
                }
    }

    std::string Joined() const {
        std::string text;
        for (const std::string& d : found_) text += (text.empty() ? "" : "; ") + d;
        return text;
    }

  private:
    static std::string Hex(uint32_t argb) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(argb));
        return text;
    }

    size_t limit_;
    std::vector<std::string> found_;
};

}  // namespace

std::string DataDifference(const GameData& a, const GameData& b, size_t limit) {
    if (a == b || limit == 0) return {};
    Differences d(limit);
    d.Compare("Steps", a.Steps, b.Steps);
    for (const Field<GameData>& f : kScalarFields)
        std::visit([&](auto member) { d.Compare(f.Name, a.*member, b.*member); }, f.Member);
    d.CompareFields("BatRect", a.BatRect, b.BatRect, kRectFields);
    d.CompareValues<int16_t>("BonusTimers", a.BonusTimers, b.BonusTimers);
    d.CompareValues<Flag>("ButtonDown", a.ButtonDown, b.ButtonDown);
    d.CompareValues<int16_t>("SoundHandles", a.SoundHandles, b.SoundHandles);
    d.CompareRecords("Balls", a.Balls, b.Balls, kBallFields);
    d.CompareValues<Rect>("BallRects", a.BallRects, b.BallRects);
    d.CompareRecords("Movers", a.Movers, b.Movers, kMoverFields);
    d.CompareValues<Rect>("MoverRects", a.MoverRects, b.MoverRects);
    d.CompareRecords("Explosions", a.Explosions, b.Explosions, kMoverFields);
    d.CompareRecords("Bricks", a.Bricks, b.Bricks, kBrickFields);
    d.CompareValues<Rect>("BrickRects", a.BrickRects, b.BrickRects);
    d.CompareRecords("Bonuses", a.Bonuses, b.Bonuses, kBonusFields);
    d.CompareValues<Rect>("BonusRects", a.BonusRects, b.BonusRects);
    d.CompareValues<Rect>("ButtonRects", a.ButtonRects, b.ButtonRects);
    d.Compare("PlayerName", a.PlayerName, b.PlayerName);
    d.CompareList("Players", a.Players, b.Players,
                  [&](const std::string& name, const PlayerRecord& x, const PlayerRecord& y) {
                      d.Compare(name + ".Name", x.Name, y.Name);
                      d.Compare(name + ".Iq", x.Iq, y.Iq);
                      d.Compare(name + ".Level", x.Level, y.Level);
                      d.Compare(name + ".SpareBalls", x.SpareBalls, y.SpareBalls);
                  });
    d.CompareList("Hall", a.Hall, b.Hall,
                  [&](const std::string& name, const HallEntry& x, const HallEntry& y) {
                      d.Compare(name + ".Name", x.Name, y.Name);
                      d.Compare(name + ".Score", x.Score, y.Score);
                  });
    if (!(a.Random == b.Random)) d.Add("Random", "one generator state", "another");
    d.CompareRecords("Animations", a.Animations, b.Animations, kAnimationFields);
    d.CompareList("Sprites", a.Sprites, b.Sprites,
                  [&](const std::string& name, const SpriteSurface& x, const SpriteSurface& y) {
                      d.Compare(name + ".Width", x.Width, y.Width);
                      d.Compare(name + ".Height", x.Height, y.Height);
                      d.CompareSurfaces(name + ".Pixels", x.Pixels, y.Pixels);
                  });
    d.CompareSurfaces("Field", a.Field, b.Field);
    d.Compare("Levels.Position", a.Levels.Position, b.Levels.Position);
    d.CompareValues<uint8_t>("Levels.Bytes", a.Levels.Bytes, b.Levels.Bytes);
    d.Compare("AppPath", a.AppPath, b.AppPath);
    d.Compare("DataFolder", a.DataFolder, b.DataFolder);
    // A member added to GameData without a name here still shows that the two differ.
    if (d.Empty()) d.Add("GameData", "a member not named here", "the other's");
    return d.Joined();
}

}  // namespace ZapModule
