// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/set_publisher.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "hall_protocol/hall_send.h"

namespace ZapModule {

SetPublisher::~SetPublisher() {
    GiveUp();
}

void SetPublisher::GiveUp() {
    if (reply_ == nullptr) return;
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
    reply_ = nullptr;
}

void SetPublisher::Publish(const std::string& server, const std::string& title,
                           const std::string& author, const std::vector<uint8_t>& levels,
                           std::function<void(QString, bool)> done) {
    GiveUp();
    QNetworkRequest request(
        QUrl(QString::fromStdString(LevelSetPublishUrl(server, title, author))));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/octet-stream"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kHallSendTimeoutMillis);
    QNetworkReply* reply =
        network_.post(request, QByteArray(reinterpret_cast<const char*>(levels.data()),
                                          static_cast<qsizetype>(levels.size())));
    reply_ = reply;
    reply->setReadBufferSize(static_cast<qint64>(kMaxHallAnswerBytes) + 1);
    connect(reply, &QNetworkReply::finished, this, [this, reply, server, done = std::move(done)] {
        reply_ = nullptr;
        reply->deleteLater();
        const QByteArray body = reply->read(static_cast<qint64>(kMaxHallAnswerBytes) + 1);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QJsonObject answer = QJsonDocument::fromJson(body).object();
        const QString address = answer.value(QStringLiteral("address")).toString();
        if ((status == 200 || status == 201) && !address.isEmpty() &&
            body.size() <= static_cast<qsizetype>(kMaxHallAnswerBytes)) {
            const QString link = QString::fromStdString(server) + "/api/level-sets/" + address;
            done(status == 201
                     ? QString::fromUtf8("Sada je zveřejněna, hraje se odkazem\n%1").arg(link)
                     : QString::fromUtf8("Sada už byla zveřejněna, hraje se odkazem\n%1").arg(link),
                 true);
            return;
        }
        QString why = answer.value(QStringLiteral("reason")).toString();
        if (why.isEmpty() && status != 0) why = QStringLiteral("HTTP %1").arg(status);
        if (why.isEmpty()) why = reply->errorString();
        done(QString::fromUtf8("Sadu nelze zveřejnit: ") + why, false);
    });
}

}  // namespace ZapModule
