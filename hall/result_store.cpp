// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/result_store.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <atomic>
#include <utility>

namespace ZapModule {

namespace {

const QString kColumns = QStringLiteral("id, name, score, level, levels, ending, steps, filed");

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Problem(const QSqlQuery& query) {
    return query.lastError().text().toStdString();
}

FiledResult ReadFiled(const QSqlQuery& query) {
    return {query.value(0).toLongLong(),
            query.value(1).toString().toStdString(),
            query.value(2).toLongLong(),
            query.value(3).toLongLong(),
            query.value(4).toString().toStdString(),
            query.value(5).toString().toStdString(),
            query.value(6).toLongLong(),
            query.value(7).toString().toStdString()};
}

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

  private:
    QString name_;
};

QSqlDatabase Connection(const std::string& sqlite, const std::string& postgresql,
                        std::string* problem) {
    thread_local ThreadConnection connection;
    return connection.Get(sqlite, postgresql, problem);
}

}  // namespace

ResultStore::ResultStore(std::string sqlite, std::string postgresql)
    : sqlite_(std::move(sqlite)), postgresql_(std::move(postgresql)) {}

std::string ResultStore::Open() {
    std::string problem;
    QSqlDatabase db = Connection(sqlite_, postgresql_, &problem);
    if (!problem.empty()) return problem;
    QSqlQuery query(db);
    const bool sqlite = postgresql_.empty();
    const QStringList statements = {
        // Writers wait for each other, readers never wait.
        sqlite ? QStringLiteral("PRAGMA journal_mode=WAL") : QString(),
        QStringLiteral("CREATE TABLE IF NOT EXISTS results (id %1 PRIMARY KEY, "
                       "game_key TEXT NOT NULL UNIQUE, name TEXT NOT NULL, score BIGINT NOT NULL, "
                       "level BIGINT NOT NULL, levels TEXT NOT NULL, ending TEXT NOT NULL, "
                       "steps BIGINT NOT NULL, filed TEXT NOT NULL, month TEXT NOT NULL, "
                       "replay TEXT NOT NULL)")
            .arg(sqlite ? QStringLiteral("INTEGER") : QStringLiteral("BIGSERIAL")),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_best ON results (score DESC, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_by_levels "
                       "ON results (levels, score DESC, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_by_month "
                       "ON results (month, score DESC, id)")};
    // Copies starting together on a new PostgreSQL database may both make the table, and one
    // of them then fails; its second try finds the table there.
    for (int attempt = 0; attempt < 2; ++attempt) {
        problem.clear();
        for (const QString& statement : statements) {
            if (!statement.isEmpty() && !query.exec(statement)) {
                problem = Problem(query);
                break;
            }
        }
        if (problem.empty()) break;
    }
    return problem;
}

ResultStore::Filing ResultStore::File(const NewResult& result) {
    Filing filing;
    QSqlDatabase db = Connection(sqlite_, postgresql_, &filing.Problem);
    if (!filing.Problem.empty()) return filing;
    const QString filed = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO results (game_key, name, score, level, levels, ending, steps, "
                       "filed, month, replay) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT (game_key) DO NOTHING RETURNING ") +
        kColumns);
    for (const QVariant& value :
         {QVariant(Text(result.GameKey)), QVariant(Text(result.Name)),
          QVariant(qlonglong{result.Score}), QVariant(qlonglong{result.Level}),
          QVariant(Text(result.Levels)), QVariant(Text(result.Ending)),
          QVariant(qlonglong{result.Steps}), QVariant(filed), QVariant(filed.left(7)),
          QVariant(Text(result.Replay))})
        query.addBindValue(value);
    if (!query.exec()) {
        filing.Problem = Problem(query);
        return filing;
    }
    if (query.next()) {
        filing.Entry = ReadFiled(query);
        return filing;
    }
    // Filed meanwhile, by another thread or copy.
    return Find(result.GameKey);
}

ResultStore::Filing ResultStore::Find(const std::string& gameKey) {
    Filing filing;
    QSqlDatabase db = Connection(sqlite_, postgresql_, &filing.Problem);
    if (!filing.Problem.empty()) return filing;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT ") + kColumns +
                  QStringLiteral(" FROM results WHERE game_key = ?"));
    query.addBindValue(Text(gameKey));
    if (!query.exec()) {
        filing.Problem = Problem(query);
    } else if (query.next()) {
        filing.Entry = ReadFiled(query);
        filing.Earlier = true;
    }
    return filing;
}

std::vector<FiledResult> ResultStore::Best(const ResultFilter& filter, std::string* problem) {
    std::vector<FiledResult> best;
    QSqlDatabase db = Connection(sqlite_, postgresql_, problem);
    if (!problem->empty()) return best;
    QStringList conditions;
    if (!filter.Levels.empty()) conditions << QStringLiteral("levels = ?");
    if (!filter.Month.empty()) conditions << QStringLiteral("month = ?");
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM results %2 ORDER BY score DESC, id LIMIT %3")
                      .arg(kColumns, conditions.isEmpty()
                                         ? QString()
                                         : QStringLiteral("WHERE ") +
                                               conditions.join(QStringLiteral(" AND ")))
                      .arg(filter.Limit));
    if (!filter.Levels.empty()) query.addBindValue(Text(filter.Levels));
    if (!filter.Month.empty()) query.addBindValue(Text(filter.Month));
    if (!query.exec()) {
        *problem = Problem(query);
        return best;
    }
    while (query.next()) best.push_back(ReadFiled(query));
    return best;
}

std::optional<std::string> ResultStore::Replay(int64_t id, std::string* problem) {
    QSqlDatabase db = Connection(sqlite_, postgresql_, problem);
    if (!problem->empty()) return std::nullopt;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT replay FROM results WHERE id = ?"));
    query.addBindValue(qlonglong{id});
    if (!query.exec()) {
        *problem = Problem(query);
        return std::nullopt;
    }
    if (!query.next()) return std::nullopt;
    return query.value(0).toString().toStdString();
}

}  // namespace ZapModule
