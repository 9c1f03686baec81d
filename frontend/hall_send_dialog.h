// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's box for an offer to send results to the hall server (shell/hall_offer.h): the
// question with the nickname, prefilled with the roster's name; on "Odeslat" the sends go out one
// after another through Qt's network module, never holding up the window, and their answers are
// shown, as plain lines that scroll inside a box of a few lines, until the player closes the box.
// A send ends within its deadline, whatever the server
// does, and reads at most kMaxHallAnswerBytes of answer; no redirect is followed (a re-post of
// the replay elsewhere, or a GET without it, is no send). Closing the box while a send is on its
// way leaves that send kept for the next offer.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "shell/hall_offer.h"

class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ZapModule {

class HallSendDialog : public QDialog {
  public:
    HallSendDialog(HallOffer& offer, QWidget* parent = nullptr,
                   int deadlineMillis = kHallSendTimeoutMillis);
    ~HallSendDialog() override;
    HallSendDialog(const HallSendDialog&) = delete;
    HallSendDialog& operator=(const HallSendDialog&) = delete;

  protected:
    void reject() override;

  private:
    void Send();
    void SendNext();
    void Received();
    void Finished();
    void Stop(QString why);

    HallOffer& offer_;
    QLineEdit* nickname_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* close_ = nullptr;
    QPlainTextEdit* answers_ = nullptr;
    std::unique_ptr<QNetworkAccessManager> network_;
    QNetworkReply* reply_ = nullptr;
    QTimer* deadline_ = nullptr;
    QByteArray body_;  // the answer so far
    QString stopped_;  // why the send was stopped before its answer's end
    std::vector<HallRequest> requests_;
    size_t next_ = 0;
};

}  // namespace ZapModule
