// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's box for an offer to send results to the hall server (shell/hall_offer.h): the
// question with the nickname, prefilled with the roster's name; on "Odeslat" the sends go out one
// after another through Qt's network module, never holding up the window, each with a time
// limit, and their answers are shown until the player closes the box. Closing it while a send is
// on its way leaves that send kept for the next offer.

#include <QDialog>
#include <memory>
#include <vector>

#include "shell/hall_offer.h"

class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;

namespace ZapModule {

class HallSendDialog : public QDialog {
  public:
    HallSendDialog(HallOffer& offer, QWidget* parent = nullptr);
    ~HallSendDialog() override;
    HallSendDialog(const HallSendDialog&) = delete;
    HallSendDialog& operator=(const HallSendDialog&) = delete;

  protected:
    void reject() override;

  private:
    void Send();
    void SendNext();
    void Finished();

    HallOffer& offer_;
    QLineEdit* nickname_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* answers_ = nullptr;
    std::unique_ptr<QNetworkAccessManager> network_;
    QNetworkReply* reply_ = nullptr;
    std::vector<HallRequest> requests_;
    size_t next_ = 0;
};

}  // namespace ZapModule
