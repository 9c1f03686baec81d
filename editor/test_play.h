// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test play: the real game, started as a program of its own on a throw-away copy of its folder.
// The copy holds the game, its sound library and its data with the levels to try in place of
// the shipped ones, and a player made for the test; the game runs portable there, so nothing of
// the player's own files is read or written, and the copy is deleted when the game ends.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "layout/data_layout.h"

namespace ZapModule {

// The name of the player made for a test play.
QString TestPlayerName();

// Makes in `folder` a portable copy of the game of `layout` (the program `gameProgram`, its
// sound library and data folder) with `levels` as its levels.ko and one new player. Empty when
// done, otherwise the reason in Czech.
QString PrepareTestPlayFolder(const QString& folder, const DataLayout& layout,
                              const QString& gameProgram, const std::vector<uint8_t>& levels);

class TestPlay : public QObject {
  public:
    explicit TestPlay(QObject* parent) : QObject(parent) {}

    // Starts the game on `levels`; false with the reason in *problem when it cannot start.
    bool Start(const DataLayout& layout, const QString& gameProgram,
               const std::vector<uint8_t>& levels, QString* problem);
    bool Running() const { return process_ != nullptr; }
    // While running: the game's folder and process (for tests).
    QString Folder() const { return folder_ ? folder_->path() : QString(); }
    QProcess* Process() const { return process_; }

    // The game ended (and its folder is gone).
    std::function<void()> OnFinished;

  private:
    std::unique_ptr<QTemporaryDir> folder_;
    QProcess* process_ = nullptr;
};

}  // namespace ZapModule
