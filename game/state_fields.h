// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numeric fields of the game's records and its scalar variables, by name: what the state's
// JSON form writes and reads, and what a difference between two states names.

#include <array>
#include <cstdint>
#include <variant>

#include "model/state.h"

namespace ZapModule {

// A field of a record: its name and where it lives.
template <typename Record>
struct Field {
    const char* Name;
    std::variant<int16_t Record::*, int32_t Record::*, float Record::*> Member;
};

inline const std::array<Field<BallRecord>, 9> kBallFields{
    {{"X", &BallRecord::X},
     {"Y", &BallRecord::Y},
     {"Dx", &BallRecord::Dx},
     {"Dy", &BallRecord::Dy},
     {"Stuck", &BallRecord::Stuck},
     {"Follows", &BallRecord::Follows},
     {"Dead", &BallRecord::Dead},
     {"DeathDelay", &BallRecord::DeathDelay},
     {"DeathTimer", &BallRecord::DeathTimer}}};
inline const std::array<Field<MoverRecord>, 7> kMoverFields{
    {{"X", &MoverRecord::X},
     {"Y", &MoverRecord::Y},
     {"Dx", &MoverRecord::Dx},
     {"Dy", &MoverRecord::Dy},
     {"Kind", &MoverRecord::Kind},
     {"FrameTimer", &MoverRecord::FrameTimer},
     {"Frame", &MoverRecord::Frame}}};
inline const std::array<Field<BrickRecord>, 8> kBrickFields{{{"X", &BrickRecord::X},
                                                             {"Y", &BrickRecord::Y},
                                                             {"Points", &BrickRecord::Points},
                                                             {"Type", &BrickRecord::Type},
                                                             {"Picture", &BrickRecord::Picture},
                                                             {"Bonus", &BrickRecord::Bonus},
                                                             {"HitOnce", &BrickRecord::HitOnce},
                                                             {"Flash", &BrickRecord::Flash}}};
inline const std::array<Field<BonusRecord>, 5> kBonusFields{{{"X", &BonusRecord::X},
                                                             {"Y", &BonusRecord::Y},
                                                             {"Picture", &BonusRecord::Picture},
                                                             {"Kind", &BonusRecord::Kind},
                                                             {"Life", &BonusRecord::Life}}};
inline const std::array<Field<AnimationRecord>, 5> kAnimationFields{
    {{"Sprite", &AnimationRecord::Sprite},
     {"Frames", &AnimationRecord::Frames},
     {"FrameWidth", &AnimationRecord::FrameWidth},
     {"FrameHeight", &AnimationRecord::FrameHeight},
     {"FrameSteps", &AnimationRecord::FrameSteps}}};
inline const std::array<Field<Rect>, 4> kRectFields{{{"Left", &Rect::Left},
                                                     {"Top", &Rect::Top},
                                                     {"Right", &Rect::Right},
                                                     {"Bottom", &Rect::Bottom}}};
// The scalar variables, game state and Form1 alike.
inline const std::array<Field<GameData>, 26> kScalarFields{{
    {"BatTop", &GameData::BatTop},
    {"BatHeight", &GameData::BatHeight},
    {"BallsLeft", &GameData::BallsLeft},
    {"Level", &GameData::Level},
    {"BatSize", &GameData::BatSize},
    {"WallOn", &GameData::WallOn},
    {"BallSpeedMode", &GameData::BallSpeedMode},
    {"Piercing", &GameData::Piercing},
    {"StickyBat", &GameData::StickyBat},
    {"Iq", &GameData::Iq},
    {"LevelIq", &GameData::LevelIq},
    {"LevelDone", &GameData::LevelDone},
    {"LevelsRead", &GameData::LevelsRead},
    {"LevelCount", &GameData::LevelCount},
    {"Kind5Present", &GameData::Kind5Present},
    {"Tick", &GameData::Tick},
    {"CurrentPlayer", &GameData::CurrentPlayer},
    {"SoundReady", &GameData::SoundReady},
    {"WallS", &GameData::WallS},
    {"WallHeight", &GameData::WallHeight},
    {"MovingUp", &GameData::MovingUp},
    {"MovingDown", &GameData::MovingDown},
    {"QuitCountdown", &GameData::QuitCountdown},
    {"IdlePasses", &GameData::IdlePasses},
    {"Paused", &GameData::Paused},
    {"Unloaded", &GameData::Unloaded},
}};

}  // namespace ZapModule
