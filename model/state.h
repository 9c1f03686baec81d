// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every program-wide variable and every variable of the game screen Form1, under the names the
// rules use, with their widths. The program owns exactly one GameState; tests make as many as
// they like. Flags are 16-bit: -1 true, 0 false, always compared with exactly one of the two.
//
// GameState is two parts: GameData, the game's values, which copy and compare as a whole (two
// runs of the same inputs must end in equal GameData), and beside it the platform's handles
// (window, files, recorder, sound component), which refer to objects outside the state.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/field_geometry.h"
#include "ports/sound_component.h"
#include "values/random.h"
#include "values/rect.h"
#include "values/surface.h"

namespace ZapModule {

class WindowPort;
class DataFiles;
class ReplayRecorder;

using Flag = int16_t;
// The name the game screen shows before a player's game names one.
inline constexpr std::string_view kNoPlayerName = "NoBrain";

constexpr Flag kTrue = -1;
constexpr Flag kFalse = 0;

// The values the rules and the drawing pass share.
constexpr int16_t kTypeOrdinary = 0;  // brick types
constexpr int16_t kTypeDouble = 1;
constexpr int16_t kTypeSteel = 2;
constexpr int16_t kNormalBat = 0;  // BatSize, with the matching BatHeight
constexpr int16_t kLongBat = 1;
constexpr int16_t kShortBat = 2;
constexpr int16_t kNormalBatHeight = 60;
constexpr int16_t kLongBatHeight = 87;
constexpr int16_t kShortBatHeight = 33;
constexpr int16_t kWallGrowing = 0;  // WallS
constexpr int16_t kWallStanding = 1;
constexpr int16_t kWallShrinking = 2;

// The bonus kinds: the Kind of a bonus item, what collecting it does. A brick's Bonus and an
// item's Picture name the same numbers, and Surprise besides: an item with that picture gets a
// kind drawn from the others when its brick is destroyed.
namespace Bonus {
enum Kind : int16_t {
    LongBat = 1,
    ShortBat = 2,
    Wall = 3,
    ExtraBall = 4,
    BallKiller = 5,
    Fast = 6,
    Slow = 7,
    Bomb = 8,
    SpareBall = 9,
    Piercing = 10,
    StickyBat = 11,
    Surprise = 12,
};
}  // namespace Bonus
constexpr int16_t kBonusKinds = Bonus::StickyBat;  // the effects, kinds 1 to kBonusKinds

constexpr int16_t kExplosionKind = 1;  // the animation of explosions; never a mover
// Indices into Sprites: Sprites[i] is the data folder's picture SpritePicture(i).
constexpr int kBatBodySprite = 0;
constexpr int kBatCapSprite = 1;
constexpr int kBallSprite = 2;
constexpr int kBrickSheetSprite = 5;  // the bricks' pictures side by side
constexpr int kBonusSheetSprite = 6;  // the bonus items' pictures, kinds 1 to Bonus::Surprise
constexpr int kWallSprite = 11;
constexpr int kPressedButtonSprite = 12;  // a screen button held down, over Form1's background
// The data folder's name of sprite `index`'s picture: "pictures/ko6" for kBrickSheetSprite.
inline std::string SpritePicture(int index) {
    return "pictures/ko" + std::to_string(index + 1);
}

struct BallRecord {
    float X = 0, Y = 0, Dx = 0, Dy = 0;
    Flag Stuck = 0;
    Flag Follows = 0;
    Flag Dead = 0;
    int16_t DeathDelay = 0;
    int16_t DeathTimer = 0;

    friend bool operator==(const BallRecord&, const BallRecord&) = default;
};

struct MoverRecord {
    float X = 0, Y = 0, Dx = 0, Dy = 0;
    int16_t Kind = 0;
    int16_t FrameTimer = 0;
    int16_t Frame = 0;

    friend bool operator==(const MoverRecord&, const MoverRecord&) = default;
};

struct BrickRecord {
    int16_t X = 0, Y = 0;
    int16_t Points = 0;
    int16_t Type = 0;
    int16_t Picture = 0;
    int16_t Bonus = 0;
    Flag HitOnce = 0;
    int16_t Flash = 0;

    friend bool operator==(const BrickRecord&, const BrickRecord&) = default;
};

struct BonusRecord {
    int16_t X = 0, Y = 0;
    int16_t Picture = 0;
    int16_t Kind = 0;
    int16_t Life = 0;

    friend bool operator==(const BonusRecord&, const BonusRecord&) = default;
};

struct AnimationRecord {
    int16_t Sprite = 0;  // index into Sprites (the file counts from 1)
    int16_t Frames = 0;
    int16_t FrameWidth = 0;
    int16_t FrameHeight = 0;
    int16_t FrameSteps = 0;

    friend bool operator==(const AnimationRecord&, const AnimationRecord&) = default;
};

// One loaded sprite picture: its pixels stand in for the device context and bitmap.
struct SpriteSurface {
    Surface Pixels;
    int16_t Width = 0;
    int16_t Height = 0;

    friend bool operator==(const SpriteSurface&, const SpriteSurface&) = default;
};

struct PlayerRecord {
    std::string Name;  // UTF-8
    int32_t Iq = 0;
    int32_t Level = 0;
    int16_t SpareBalls = 0;

    friend bool operator==(const PlayerRecord&, const PlayerRecord&) = default;
};

// One row of the hall of fame: what Form3's labels Label2(i) and Label3(i) show.
struct HallEntry {
    std::string Name;  // UTF-8
    int32_t Score = 0;

    friend bool operator==(const HallEntry&, const HallEntry&) = default;
};
using HallTable = std::array<HallEntry, 10>;
// The design table: empty names, scores 1000 down to 100.
HallTable DefaultHallTable();

// The level file, kept open for the whole run: its bytes and the read position.
struct LevelFile {
    std::vector<uint8_t> Bytes;
    size_t Position = 0;

    friend bool operator==(const LevelFile&, const LevelFile&) = default;
};

// The game's values: everything a game in progress knows, and nothing that refers outside it.
struct GameData {
    // --- Program-wide variables ---
    std::string AppPath;
    std::string DataFolder;  // AppPath + "/data" in the game; a tool may point elsewhere
    std::vector<SpriteSurface> Sprites;
    int16_t BatTop = 0;
    int16_t BatHeight = 0;
    int16_t BallsLeft = 0;
    int16_t Level = 0;
    int16_t BatSize = 0;
    Flag WallOn = 0;
    int16_t BallSpeedMode = 0;
    Flag Piercing = 0;
    Flag StickyBat = 0;
    int32_t Iq = 0;
    Rect BatRect;
    std::vector<BallRecord> Balls;
    std::vector<Rect> BallRects;
    std::vector<AnimationRecord> Animations;
    std::vector<MoverRecord> Movers;
    std::vector<Rect> MoverRects;
    Flag Kind5Present = 0;
    std::vector<MoverRecord> Explosions;
    std::vector<BrickRecord> Bricks;
    std::vector<Rect> BrickRects;
    std::vector<BonusRecord> Bonuses;
    std::vector<Rect> BonusRects;
    int16_t LevelCount = 0;
    Flag LevelDone = 0;
    int16_t LevelsRead = 0;
    // Index 1 to kBonusKinds = bonus kind; -1 = not active.
    std::array<int16_t, kBonusKinds + 1> BonusTimers{};
    std::array<Rect, 2> ButtonRects{};
    std::vector<PlayerRecord> Players;
    int16_t CurrentPlayer = 0;
    int32_t LevelIq = 0;
    int16_t Tick = 0;
    Flag SoundReady = 0;
    std::array<int16_t, 8> SoundHandles{};

    // --- Variables of the game screen Form1 ---
    int16_t WallS = 0;
    Flag MovingUp = 0;
    Flag MovingDown = 0;
    int16_t WallHeight = 0;
    std::array<Flag, 2> ButtonDown{};
    int16_t QuitCountdown = 0;
    int16_t IdlePasses = 0;
    Flag Paused = 0;

    // --- What the windows hold that the rules read ---
    std::string PlayerName{kNoPlayerName};  // the caption of Form1's Label1(3)
    HallTable Hall = DefaultHallTable();    // the rows of the hall of fame window Form3
    Flag Unloaded = 0;                      // the game screen has been unloaded
    int64_t Steps = 0;                      // game steps begun so far; recordings count by it

    // --- What stands in for the platform's level file, drawing and generator ---
    LevelFile Levels;
    Surface Field;  // Picture1(0)'s off-screen image; empty when nothing is drawn
    RandomSource Random;

    int16_t BallCount() const { return static_cast<int16_t>(Balls.size()); }
    int16_t MoverCount() const { return static_cast<int16_t>(Movers.size()); }
    int16_t ExplosionCount() const { return static_cast<int16_t>(Explosions.size()); }
    int16_t BrickCount() const { return static_cast<int16_t>(Bricks.size()); }
    int16_t BonusCount() const { return static_cast<int16_t>(Bonuses.size()); }
    int16_t AnimationCount() const { return static_cast<int16_t>(Animations.size()); }
    int16_t SpriteCount() const { return static_cast<int16_t>(Sprites.size()); }

    friend bool operator==(const GameData&, const GameData&) = default;
};

// The game's values and the platform's handles beside them. The handles are not game data: they
// point at the window, the files and the recorder, own the sound component, and remember which
// failed saves the player was told of, which depends on the disk and not on the game.
struct GameState : GameData {
    WindowPort* Window = nullptr;
    DataFiles* Files = nullptr;  // players.ko, hall.ko, tick.ko
    ReplayRecorder* Recorder =
        nullptr;  // records the game screen's inputs while a game is recorded
    std::unique_ptr<SoundComponent> SoundPlayer;
    // Creates the sound component on its first use.
    std::function<std::unique_ptr<SoundComponent>()> SoundFactory;
    // The files whose failed save the player has been told of: once per file and run is enough.
    std::vector<std::string> SaveFailuresReported;
    // While set, failed saves are told here instead, to be told together (SaveFailureBatch).
    std::vector<std::string>* HeldSaveFailures = nullptr;
    // The level file when it is not DataFolder's levels.ko (a set watched where it lies).
    std::string LevelsFile;
};

// The path of a file of the data folder, such as DataPath(s, "levels.ko").
inline std::string DataPath(const GameData& s, const std::string& relative) {
    return s.DataFolder + "/" + relative;
}

// The height of the wall's picture, where the wall's growth stops; 0 without sprites.
inline int16_t WallPictureHeight(const GameData& s) {
    return kWallSprite < s.SpriteCount() ? s.Sprites[kWallSprite].Height : 0;
}

// The picture of a pressed screen button; nothing without sprites.
inline const Surface* PressedButtonPicture(const GameData& s) {
    if (kPressedButtonSprite >= s.SpriteCount()) return nullptr;
    const Surface& picture = s.Sprites[kPressedButtonSprite].Pixels;
    return picture.Empty() ? nullptr : &picture;
}

// The animation of a mover or explosion kind; an all-zero record for a kind the table lacks, so
// that sizes and frames of a bad kind are empty instead of out of bounds.
inline AnimationRecord AnimationOf(const GameData& s, int16_t kind) {
    if (kind < 0 || kind >= s.AnimationCount()) return AnimationRecord{};
    return s.Animations[kind];
}

// Removes element i of a collection the way every collection of the game does: the last element
// (and its rectangle) moves into slot i and both arrays shrink by one, so the order changes.
template <typename Record>
void RemoveAt(std::vector<Record>& records, std::vector<Rect>& rects, size_t i) {
    if (i >= records.size()) return;
    records[i] = records.back();
    records.pop_back();
    if (i < rects.size()) {
        rects[i] = rects.back();
        rects.pop_back();
    }
}

template <typename Record>
void RemoveAt(std::vector<Record>& records, size_t i) {
    if (i >= records.size()) return;
    records[i] = records.back();
    records.pop_back();
}

}  // namespace ZapModule
