// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's own settings, in a file of their own apart from the game's data files, whose
// formats are fixed: $XDG_CONFIG_HOME/zapwall/zapwall.conf (~/.config/zapwall/zapwall.conf), or
// zapwall.conf in a portable copy's own folder (UseFile). The program keeps there how the player
// likes the game screen shown (full screen or in a frame); the player writes there the hall of
// fame server that results are offered to. The file is read as every data file is: a FIFO, a
// folder or a device in its place, or a file too large for settings, is never waited on nor
// written; the defaults serve, and the player is told once on the standard error.

#include <QString>
#include <memory>
#include <string>
#include <utility>

namespace ZapModule {

class UserSettings {
  public:
    // The settings kept in `file`; a missing or unreadable file means the defaults.
    explicit UserSettings(QString file) : file_(std::move(file)) {}
    // The user's own file.
    static QString UserFile();

    bool FullScreen() const;
    // Stores the choice at once; a file that cannot be written only loses the choice.
    void SetFullScreen(bool on);
    // The hall of fame server's address as the player wrote it ("hallServer=http://host:port"
    // under [General]); empty when none is set.
    std::string HallServer() const;

    const QString& File() const { return file_; }
    void UseFile(QString file) { file_ = std::move(file); }

  private:
    // The setting's value as the file holds it, or `fallback`.
    QVariant Value(const QString& key, const QVariant& fallback) const;
    // Whether the file may be read and written: it is missing or a regular file within bounds.
    // The player is told once of one that is not.
    bool Usable() const;

    QString file_;
    mutable bool told_ = false;
};

}  // namespace ZapModule
