// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Publishing the set being edited to a hall of fame server (POST SERVER/api/level-sets), which
// checks it as the game loads a set and keeps it by its address: the request goes out without
// waiting on it, within the hall sends' time and answer limits, and what came of it comes back
// as a text to show, with the set's link when the server keeps it.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZapModule {

class SetPublisher : public QObject {
  public:
    explicit SetPublisher(QObject* parent) : QObject(parent) {}
    ~SetPublisher() override;

    // Sends `levels` (a levels.ko) with its title and its author's nickname to `server` (as
    // HallServerAddress gives it); `done` is told the outcome and whether the server keeps the
    // set. A publishing still on its way is given up, untold.
    void Publish(const std::string& server, const std::string& title, const std::string& author,
                 const std::vector<uint8_t>& levels, std::function<void(QString, bool)> done);
    bool Busy() const { return reply_ != nullptr; }

  private:
    void GiveUp();

    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
};

}  // namespace ZapModule
