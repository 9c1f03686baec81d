// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/hall_send_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZapModule {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

HallSendDialog::HallSendDialog(HallOffer& offer, QWidget* parent)
    : QDialog(parent), offer_(offer), network_(std::make_unique<QNetworkAccessManager>()) {
    setWindowTitle(QString::fromUtf8("Síň slávy na serveru"));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(Text(offer_.Question()));
    question->setWordWrap(true);
    layout->addWidget(question);
    nickname_ = new QLineEdit(offer_.Game() ? Text(offer_.Game()->Name) : QString());
    nickname_->setMaxLength(static_cast<int>(kMaxHallNicknameCharacters));
    if (offer_.Game()) {
        auto* form = new QFormLayout;
        form->addRow(QString::fromUtf8("Přezdívka:"), nickname_);
        layout->addLayout(form);
    } else {
        nickname_->hide();
    }
    answers_ = new QLabel;
    answers_->setWordWrap(true);
    answers_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    answers_->hide();
    layout->addWidget(answers_);
    auto* buttons = new QDialogButtonBox;
    send_ = buttons->addButton(QString::fromUtf8("Odeslat"), QDialogButtonBox::AcceptRole);
    skip_ = buttons->addButton(QString::fromUtf8("Neodesílat"), QDialogButtonBox::RejectRole);
    close_ = buttons->addButton(QString::fromUtf8("Zavřít"), QDialogButtonBox::RejectRole);
    close_->hide();
    send_->setDefault(true);
    layout->addWidget(buttons);
    // A blank nickname is no nickname: the server would refuse it.
    connect(nickname_, &QLineEdit::textChanged, this, [this](const QString& name) {
        send_->setEnabled(!offer_.Game() || !name.trimmed().isEmpty());
    });
    connect(send_, &QPushButton::clicked, this, [this] { Send(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &HallSendDialog::reject);
    setMinimumWidth(420);
}

HallSendDialog::~HallSendDialog() {
    // A send still on its way is left kept; its answer is no longer waited for.
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void HallSendDialog::reject() {
    if (reply_ != nullptr) {
        reply_->disconnect(this);
        reply_->abort();
        reply_ = nullptr;
    }
    QDialog::reject();
}

void HallSendDialog::Send() {
    requests_ = offer_.Accept(nickname_->text().trimmed().toStdString());
    send_->hide();
    skip_->hide();
    close_->show();
    close_->setDefault(true);
    nickname_->setEnabled(false);
    answers_->setText(QString::fromUtf8("Odesílám…"));
    answers_->show();
    adjustSize();
    SendNext();
}

void HallSendDialog::SendNext() {
    if (next_ == requests_.size()) return;
    const HallRequest& request = requests_[next_];
    QNetworkRequest http(QUrl(Text(request.Url)));
    http.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain; charset=utf-8"));
    http.setTransferTimeout(kHallSendTimeoutMillis);
    reply_ = network_->post(http, QByteArray::fromStdString(request.Body));
    connect(reply_, &QNetworkReply::finished, this, [this] { Finished(); });
}

void HallSendDialog::Finished() {
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = QJsonDocument::fromJson(reply->readAll())
                               .object()
                               .value(QStringLiteral("reason"))
                               .toString();
    const QString problem = reply->error() == QNetworkReply::OperationCanceledError
                                ? QString::fromUtf8("vypršel čas na odpověď")
                                : reply->errorString();
    const std::string answer =
        offer_.Answered(requests_[next_], status, reason.toStdString(), problem.toStdString());
    QString shown = next_ == 0 ? QString() : answers_->text() + QStringLiteral("\n");
    answers_->setText(shown + Text(answer));
    adjustSize();  // the answers' lines grow the box
    ++next_;
    SendNext();
}

}  // namespace ZapModule
