// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's sends to a hall server against fake servers that answer as no hall server does,
// or only in part: the kept send stays, and every send ends within its deadline.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <functional>

#include "frontend/hall_send_dialog.h"
#include "tests/storage/storage_test_support.h"

namespace ZapModule {
namespace {

// A server on the loopback that answers every request, once it came whole, with `Answer`, then
// sends `Drip` a byte at a time for as long as the connection stays, or closes it.
class FakeServer {
  public:
    FakeServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket, request] { Read(socket, *request); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Address() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
    }

    QByteArray Answer;
    bool Drip = false;
    int Requests = 0;

  private:
    void Read(QTcpSocket* socket, QByteArray& request) {
        request += socket->readAll();
        const qsizetype headers = request.indexOf("\r\n\r\n");
        if (headers < 0) return;
        const qsizetype at = request.toLower().indexOf("content-length:");
        const qsizetype length =
            at < 0 ? 0 : request.mid(at + 15).split('\r')[0].trimmed().toLong();
        if (request.size() < headers + 4 + length) return;
        request.clear();
        ++Requests;
        socket->write(Answer);
        if (!Drip) {
            socket->disconnectFromHost();
            return;
        }
        auto* drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        drip->start(100);
    }

    QTcpServer server_;
};

// An HTTP answer; its Content-Length is the body's unless `headers` say otherwise.
QByteArray Answer(const char* status, const QByteArray& body, QByteArray headers = {}) {
    if (headers.isEmpty()) headers = "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return QByteArray("HTTP/1.1 ") + status + "\r\n" + headers + "\r\n" + body;
}

QPushButton* SendButton(const HallSendDialog& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Odeslat")) return button;
    return nullptr;
}

TEST(HallSendDialogTest, KeepsTheSendUnlessTheHallServerItselfAnsweredWhole) {
    FakeServer elsewhere;  // another origin, that would file anything
    const QByteArray filed = R"({"filed":true,"earlier":false,"entry":{"id":1}})";
    elsewhere.Answer = Answer("201 Created", filed);
    const QByteArray away = "Location: " + elsewhere.Address().toUtf8() + "/api/results\r\n";
    const QByteArray huge = R"({"filed":true,"x":")" + QByteArray(64 * 1024, 'x') + "\"}";
    const struct {
        const char* Name;
        QByteArray Answer;
        bool Dropped;
        bool Drip = false;  // a byte every 100 ms, for a deadline of 1.5 s
    } cases[] = {
        {"filed", Answer("201 Created", filed), true},
        {"page", Answer("200 OK", "<html></html>"), false},
        {"302 away", Answer("302 Found", "", away), false},
        {"307 away", Answer("307 Temporary Redirect", "", away), false},
        {"cut", Answer("201 Created", filed, "Content-Length: 100\r\n"), false},
        {"drip", Answer("201 Created", filed, "Content-Type: application/json\r\n"), false, true},
        {"huge", Answer("201 Created", huge, "Connection: close\r\n"), false},
        {"5xx", Answer("503 Service Unavailable", R"({"filed":false,"reason":"databáze"})"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeServer server;
        server.Answer = c.Answer;
        server.Drip = c.Drip;
        testing::TempFolder temp;
        PendingHallSends pending(temp / "hall-sends");
        HallOffer offer(server.Address().toStdString(), pending, HallSend{"Ann", 70, 2, "r\n"});
        const int deadline = c.Drip ? 1500 : kHallSendTimeoutMillis;
        HallSendDialog dialog(offer, nullptr, deadline);
        auto* answers = dialog.findChild<QPlainTextEdit*>(QStringLiteral("answers"));
        QPushButton* send = SendButton(dialog);
        ASSERT_TRUE(answers && send);

        QElapsedTimer took;
        took.start();
        send->click();
        ASSERT_EQ(pending.Names().size(), 1u);  // kept before it goes
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !answers->toPlainText().startsWith(QString::fromUtf8("Odesílám")); },
            60'000));
        EXPECT_LT(took.elapsed(), deadline + 10'000);
        EXPECT_EQ(pending.Names().empty(), c.Dropped) << answers->toPlainText().toStdString();
        EXPECT_EQ(server.Requests, 1);  // no redirect was followed, here or elsewhere
    }
    EXPECT_EQ(elsewhere.Requests, 0);
}

// The answers to 50 kept sends scroll inside the box, which stays on the screen, and a reason
// written as markup is shown as the server wrote it.
TEST(HallSendDialogTest, AnswersArePlainLinesInABoxThatStaysOnTheScreen) {
    FakeServer server;
    const QByteArray reason = "<h1 style='color:green'>Výsledek je zapsán</h1><img src='x'>";
    server.Answer =
        Answer("422 Unprocessable Content", R"({"filed":false,"reason":")" + reason + "\"}");
    testing::TempFolder temp;
    PendingHallSends pending(temp / "hall-sends");
    std::string problem;
    ASSERT_TRUE(pending.Keep(HallSend{"Ann", 70, 2, "r\n"}, &problem));
    const std::string first = temp / ("hall-sends/" + pending.Names()[0]);
    for (int i = 2; i <= 50; ++i)
        std::filesystem::copy_file(
            first,
            temp /
                QStringLiteral("hall-sends/%1.hall-send").arg(i, 6, 10, QChar('0')).toStdString());
    HallOffer offer(server.Address().toStdString(), pending);
    HallSendDialog dialog(offer);
    dialog.show();
    SendButton(dialog)->click();
    auto* answers = dialog.findChild<QPlainTextEdit*>(QStringLiteral("answers"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pending.Names().empty(); }, 60'000));
    EXPECT_EQ(answers->blockCount(), 50);
    EXPECT_TRUE(answers->document()->firstBlock().text().endsWith(
        QString::fromUtf8(": Server výsledek odmítl: ") + QString::fromUtf8(reason)));
    EXPECT_LE(dialog.frameGeometry().height(), dialog.screen()->availableGeometry().height());
}

}  // namespace
}  // namespace ZapModule
