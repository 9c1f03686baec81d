// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/hall_send_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace ZapModule {

namespace {

// The lines of answers the box shows at once.
constexpr int kAnswerLines = 8;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether the reply's error is only its HTTP status (a 4xx or 5xx answer that came whole), not
// a failure of the connection.
bool StatusError(QNetworkReply::NetworkError error) {
    return error == QNetworkReply::NoError ||
           (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           error == QNetworkReply::ProtocolInvalidOperationError ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

}  // namespace

HallSendDialog::HallSendDialog(HallOffer& offer, QWidget* parent, int deadlineMillis)
    : QDialog(parent),
      offer_(offer),
      network_(std::make_unique<QNetworkAccessManager>()),
      deadline_(new QTimer(this)) {
    deadline_->setSingleShot(true);
    deadline_->setInterval(deadlineMillis);
    connect(deadline_, &QTimer::timeout, this, [this] {
        Stop(QString::fromUtf8("vypršel čas na odpověď, %1 s").arg(deadline_->interval() / 1000.0));
    });
    setWindowTitle(QString::fromUtf8("Síň slávy na serveru"));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(Text(offer_.Question()));
    question->setTextFormat(Qt::PlainText);  // names and notes are no markup either
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
    // A server's reason is shown as it is written, never as markup, which a plain text box knows
    // none of; the answers of however many kept sends scroll inside it, so the box keeps its
    // height and its buttons on the screen.
    answers_ = new QPlainTextEdit;
    answers_->setObjectName(QStringLiteral("answers"));
    answers_->setReadOnly(true);
    answers_->setFixedHeight(
        answers_->fontMetrics().lineSpacing() * kAnswerLines +
        2 * (answers_->frameWidth() + static_cast<int>(answers_->document()->documentMargin())));
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
    deadline_->stop();
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
    answers_->setPlainText(QString::fromUtf8("Odesílám…"));
    answers_->show();
    adjustSize();
    SendNext();
}

void HallSendDialog::SendNext() {
    if (requests_.empty()) answers_->setPlainText(QString::fromUtf8("Není co odeslat."));
    if (next_ == requests_.size()) return;
    const HallRequest& request = requests_[next_];
    QNetworkRequest http(QUrl(Text(request.Url)));
    http.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain; charset=utf-8"));
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                      QNetworkRequest::ManualRedirectPolicy);
    body_.clear();
    stopped_.clear();
    reply_ = network_->post(http, QByteArray::fromStdString(request.Body));
    reply_->setReadBufferSize(static_cast<qint64>(kMaxHallAnswerBytes) + 1);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this, reply = reply_] {
        if (reply == reply_ && reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong() >
                                   static_cast<qint64>(kMaxHallAnswerBytes))
            Stop(QString::fromUtf8("odpověď je delší než %1 KiB").arg(kMaxHallAnswerBytes / 1024));
    });
    connect(reply_, &QNetworkReply::readyRead, this, [this, reply = reply_] {
        if (reply == reply_) Received();
    });
    connect(reply_, &QNetworkReply::finished, this, [this, reply = reply_] {
        if (reply == reply_) Finished();
    });
    deadline_->start();
}

void HallSendDialog::Received() {
    body_ += reply_->read(static_cast<qint64>(kMaxHallAnswerBytes) + 1 - body_.size());
    if (body_.size() > static_cast<qint64>(kMaxHallAnswerBytes))
        Stop(QString::fromUtf8("odpověď je delší než %1 KiB").arg(kMaxHallAnswerBytes / 1024));
}

void HallSendDialog::Stop(QString why) {
    if (reply_ == nullptr || !stopped_.isEmpty()) return;
    stopped_ = std::move(why);
    reply_->abort();  // finishes the reply, now or soon
}

void HallSendDialog::Finished() {
    deadline_->stop();
    if (stopped_.isEmpty()) Received();
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Only an answer that came whole, in time and within its bound is read for what it says.
    QString problem = stopped_;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (problem.isEmpty() && (status == 0 || !StatusError(reply->error())))
        problem = status == 0
                      ? reply->errorString()
                      : QString::fromUtf8("odpověď přišla neúplná: ") + reply->errorString();
    else if (problem.isEmpty() && length > body_.size())
        problem = QString::fromUtf8("odpověď přišla neúplná");
    const std::string answer =
        offer_.Answered(requests_[next_], status, body_.toStdString(), problem.toStdString());
    body_.clear();
    if (next_ == 0)
        answers_->setPlainText(Text(answer));
    else
        answers_->appendPlainText(Text(answer));
    ++next_;
    SendNext();
}
}  // namespace ZapModule
