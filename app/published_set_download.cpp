// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/published_set_download.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <cerrno>
#include <vector>

#include "platform/disk_files.h"
#include "platform/file_reading.h"
#include "storage/file_problems.h"
#include "values/data_limits.h"

namespace ZapModule {

namespace {

// A set as large as the game plays comes within this on any line a player would use.
constexpr int kDownloadMillis = 60'000;

bool HoldsSet(const QByteArray& bytes, const PublishedSetLink& link) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString() ==
           link.Address;
}

// The set's file from its server, or nothing with the reason in *problem.
std::optional<QByteArray> Download(const PublishedSetLink& link, std::string* problem) {
    const std::string url = PublishedSetFileUrl(link);
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    QByteArray body;
    QString stopped;
    const auto stop = [&](const QString& why) {
        if (!stopped.isEmpty()) return;
        stopped = why;
        reply->abort();
    };
    const QString tooLarge =
        QString::fromUtf8("soubor je větší než %1 MiB").arg(kMaxLevelFileBytes >> 20);
    QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        body += reply->read(static_cast<qint64>(kMaxLevelFileBytes) + 1 - body.size());
        if (body.size() > static_cast<qint64>(kMaxLevelFileBytes)) stop(tooLarge);
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kDownloadMillis, &loop,
                       [&] { stop(QString::fromUtf8("server neodpověděl včas")); });
    loop.exec();
    if (stopped.isEmpty()) body += reply->readAll().left(static_cast<qint64>(kMaxLevelFileBytes));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString why = stopped;
    if (why.isEmpty() && status != 0 && status != 200)
        why = QString::fromUtf8("server odpověděl HTTP %1").arg(status);
    if (why.isEmpty() && reply->error() != QNetworkReply::NoError) why = reply->errorString();
    if (why.isEmpty() && !HoldsSet(body, link))
        why = QString::fromUtf8("stažený soubor není sada s touto adresou");
    delete reply;
    if (why.isEmpty()) return body;
    *problem = url + ": sadu nelze stáhnout: " + why.toStdString();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> KeptPublishedSet(const DataLayout& game, const PublishedSetLink& link,
                                            std::string* problem) {
    const std::string folder = game.UserFolder + "/sets/published";
    const std::string path = folder + "/" + PublishedSetFileName(link);
    const FileRead kept = ReadRegularFile(path, kMaxLevelFileBytes);
    if (kept.Ok() && HoldsSet(QByteArray(reinterpret_cast<const char*>(kept.Bytes.data()),
                                         static_cast<qsizetype>(kept.Bytes.size())),
                              link))
        return path;
    const std::optional<QByteArray> set = Download(link, problem);
    if (!set) return std::nullopt;
    int error = 0;
    if (!MakeFolders(folder)) {
        *problem = folder + ": složku nelze vytvořit (" + WriteErrorText(errno) + ")";
        return std::nullopt;
    }
    if (!ReplaceFile(path, std::vector<uint8_t>(set->begin(), set->end()), {}, &error)) {
        *problem = path + ": " + WriteErrorText(error);
        return std::nullopt;
    }
    return path;
}

}  // namespace ZapModule
