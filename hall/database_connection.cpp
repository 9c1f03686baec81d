// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/database_connection.h"

#include <QSqlError>
#include <atomic>

namespace ZapModule {

namespace {

// The connection of this thread, made at its first use and closed when the thread ends: a Qt
// database connection belongs to the thread that made it.
class ThreadConnection {
  public:
    ~ThreadConnection() {
        if (name_.isEmpty()) return;
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }

    QSqlDatabase Get(const std::string& sqlite, const std::string& postgresql,
                     std::string* problem) {
        static std::atomic<int> made{0};
        if (name_.isEmpty()) {
            name_ = QStringLiteral("hall-%1").arg(made++);
            QSqlDatabase db;
            if (postgresql.empty()) {
                db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
                db.setDatabaseName(Text(sqlite));
                // Other threads and copies write to the same file: a write waits its turn.
                db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
            } else {
                db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
                db.setConnectOptions(Text(postgresql));
            }
        }
        QSqlDatabase db = QSqlDatabase::database(name_);
        if (!db.isOpen()) *problem = db.lastError().text().toStdString();
        return db;
    }

    // Closes the connection, so that the next Get opens it anew (after the database server
    // restarted, say).
    void Reset() {
        if (!name_.isEmpty()) QSqlDatabase::database(name_, false).close();
    }

  private:
    QString name_;
};

thread_local ThreadConnection connection;

}  // namespace

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Problem(const QSqlQuery& query) {
    return query.lastError().text().toStdString();
}

std::string OnConnection(const std::string& sqlite, const std::string& postgresql,
                         const std::function<std::string(QSqlDatabase&)>& work) {
    std::string problem;
    for (int attempt = 0; attempt < 2; ++attempt) {
        problem.clear();
        QSqlDatabase db = connection.Get(sqlite, postgresql, &problem);
        if (problem.empty()) problem = work(db);
        if (problem.empty()) break;
        connection.Reset();
    }
    return problem;
}

}  // namespace ZapModule
