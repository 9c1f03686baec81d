// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/result_store.h"

#include "hall/database_connection.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <utility>

namespace ZapModule {

namespace {

const QString kColumns =
    QStringLiteral("id, name, score, level, levels, ending, steps, filed, continues");
// A run is listed by its last game: the one that no later game continues.
const QString kRunHead =
    QStringLiteral("NOT EXISTS (SELECT 1 FROM results later WHERE later.continues = r.id)");

FiledResult ReadFiled(const QSqlQuery& query) {
    return {query.value(0).toLongLong(),
            query.value(1).toString().toStdString(),
            query.value(2).toLongLong(),
            query.value(3).toLongLong(),
            query.value(4).toString().toStdString(),
            query.value(5).toString().toStdString(),
            query.value(6).toLongLong(),
            query.value(7).toString().toStdString(),
            query.value(8).toLongLong()};
}

}  // namespace

ResultStore::ResultStore(std::string sqlite, std::string postgresql)
    : sqlite_(std::move(sqlite)), postgresql_(std::move(postgresql)) {}

std::string ResultStore::Open() {
    const bool sqlite = postgresql_.empty();
    const QStringList statements = {
        // Writers wait for each other, readers never wait.
        sqlite ? QStringLiteral("PRAGMA journal_mode=WAL") : QString(),
        QStringLiteral("CREATE TABLE IF NOT EXISTS results (id %1 PRIMARY KEY, "
                       "game_key TEXT NOT NULL UNIQUE, name TEXT NOT NULL, score BIGINT NOT NULL, "
                       "level BIGINT NOT NULL, levels TEXT NOT NULL, ending TEXT NOT NULL, "
                       "steps BIGINT NOT NULL, filed TEXT NOT NULL, month TEXT NOT NULL, "
                       "replay %2 NOT NULL, continues BIGINT, end_state TEXT)")
            .arg(sqlite ? QStringLiteral("INTEGER") : QStringLiteral("BIGSERIAL"),
                 sqlite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA")),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_best ON results (score DESC, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_by_levels "
                       "ON results (levels, score DESC, id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_by_month "
                       "ON results (month, score DESC, id)")};
    // What the table of an older server lacks: the runs' columns, the replay as bytes.
    const QStringList runs = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_by_end ON results (levels, end_state)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS results_continued ON results (continues)")};
    // Copies starting together on a new PostgreSQL database may both make the table, and one
    // of them then fails; its second try finds the table there.
    return OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        for (const QString& statement : statements)
            if (!statement.isEmpty() && !query.exec(statement)) return Problem(query);
        const QSqlRecord columns = db.record(QStringLiteral("results"));
        for (const char* column :
             {"continues BIGINT", "end_state TEXT", "hidden BIGINT NOT NULL DEFAULT 0"}) {
            const QString added = QString::fromLatin1(column);
            if (!columns.contains(added.section(u' ', 0, 0)) &&
                !query.exec(QStringLiteral("ALTER TABLE results ADD COLUMN ") + added))
                return Problem(query);
        }
        if (!sqlite && !query.exec(QStringLiteral(
                           "DO $$ BEGIN IF (SELECT data_type FROM information_schema.columns WHERE "
                           "table_name = 'results' AND column_name = 'replay') = 'text' THEN "
                           "ALTER TABLE results ALTER COLUMN replay TYPE BYTEA "
                           "USING convert_to(replay, 'UTF8'); END IF; END $$")))
            return Problem(query);
        for (const QString& statement : runs)
            if (!query.exec(statement)) return Problem(query);
        return {};
    });
}

ResultStore::Filing ResultStore::File(const NewResult& result) {
    Filing filing;
    const QString filed = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    filing.Problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        filing.Entry.reset();
        // The entry counts only once its commit succeeded: a full disk or a lost connection
        // fails the commit, not the insert.
        if (!db.transaction()) return db.lastError().text().toStdString();
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("INSERT INTO results (game_key, name, score, level, levels, ending, "
                           "steps, filed, month, replay, continues, end_state) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (game_key) DO NOTHING "
                           "RETURNING ") +
            kColumns);
        const QByteArray replay(result.Replay.data(), static_cast<qsizetype>(result.Replay.size()));
        for (const QVariant& value :
             {QVariant(Text(result.GameKey)), QVariant(Text(result.Name)),
              QVariant(qlonglong{result.Score}), QVariant(qlonglong{result.Level}),
              QVariant(Text(result.Levels)), QVariant(Text(result.Ending)),
              QVariant(qlonglong{result.Steps}), QVariant(filed), QVariant(filed.left(7)),
              QVariant(replay),
              result.Continues ? QVariant(qlonglong{*result.Continues})
                               : QVariant(QMetaType::fromType<qlonglong>()),
              result.EndState.empty() ? QVariant(QMetaType::fromType<QString>())
                                      : QVariant(Text(result.EndState))})
            query.addBindValue(value);
        if (!query.exec()) {
            std::string problem = Problem(query);
            db.rollback();
            return problem;
        }
        if (query.next()) filing.Entry = ReadFiled(query);
        query.finish();
        if (!db.commit()) {
            filing.Entry.reset();
            std::string problem = db.lastError().text().toStdString();
            db.rollback();
            return problem;
        }
        return {};
    });
    if (!filing.Problem.empty() || filing.Entry) return filing;
    // Filed meanwhile, by another thread or copy.
    return Find(result.GameKey);
}

ResultStore::Filing ResultStore::Find(const std::string& gameKey) {
    Filing filing;
    filing.Problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT ") + kColumns +
                      QStringLiteral(" FROM results WHERE game_key = ?"));
        query.addBindValue(Text(gameKey));
        if (!query.exec()) return Problem(query);
        if (query.next()) {
            filing.Entry = ReadFiled(query);
            filing.Earlier = true;
        }
        return {};
    });
    return filing;
}

std::optional<int64_t> ResultStore::Continued(const std::string& levels,
                                              const std::string& endState, std::string* problem) {
    std::optional<int64_t> id;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT id FROM results WHERE levels = ? AND end_state = ? "
                           "ORDER BY id DESC LIMIT 1"));
        query.addBindValue(Text(levels));
        query.addBindValue(Text(endState));
        if (!query.exec()) return Problem(query);
        if (query.next()) id = query.value(0).toLongLong();
        return {};
    });
    return id;
}

std::vector<FiledResult> ResultStore::Best(const ResultFilter& filter, std::string* problem) {
    std::vector<FiledResult> best;
    QStringList conditions = {QStringLiteral("r.hidden = 0"), kRunHead};
    if (!filter.Levels.empty()) conditions << QStringLiteral("levels = ?");
    if (!filter.Month.empty()) conditions << QStringLiteral("month = ?");
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        best.clear();
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT %1 FROM results r WHERE %2 ORDER BY score DESC, id LIMIT %3")
                .arg(kColumns, conditions.join(QStringLiteral(" AND ")))
                .arg(filter.Limit));
        if (!filter.Levels.empty()) query.addBindValue(Text(filter.Levels));
        if (!filter.Month.empty()) query.addBindValue(Text(filter.Month));
        if (!query.exec()) return Problem(query);
        while (query.next()) best.push_back(ReadFiled(query));
        return {};
    });
    return best;
}

std::vector<SetTally> ResultStore::Tallies(std::string* problem) {
    std::vector<SetTally> tallies;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        tallies.clear();
        QSqlQuery query(db);
        if (!query.exec(
                QStringLiteral(
                    "SELECT levels, COUNT(*), MAX(score) FROM results r WHERE r.hidden = 0 AND %1 "
                    "GROUP BY levels")
                    .arg(kRunHead)))
            return Problem(query);
        while (query.next())
            tallies.push_back({query.value(0).toString().toStdString(), query.value(1).toLongLong(),
                               query.value(2).toLongLong()});
        return {};
    });
    return tallies;
}

bool ResultStore::Hide(int64_t id, bool hidden, std::string* problem) {
    bool found = false;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE results SET hidden = ? WHERE id = ?"));
        query.addBindValue(qlonglong{hidden ? 1 : 0});
        query.addBindValue(qlonglong{id});
        if (!query.exec()) return Problem(query);
        found = query.numRowsAffected() > 0;
        return {};
    });
    return found;
}

std::optional<std::string> ResultStore::Replay(int64_t id, uint64_t offset, size_t most,
                                               uint64_t* size, std::string* problem) {
    std::optional<std::string> part;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        // Both databases count a blob's bytes from 1.
        query.prepare(QStringLiteral(
            "SELECT length(replay), substr(replay, ?, ?) FROM results WHERE id = ?"));
        query.addBindValue(static_cast<qlonglong>(offset + 1));
        query.addBindValue(static_cast<qlonglong>(most));
        query.addBindValue(qlonglong{id});
        if (!query.exec()) return Problem(query);
        if (query.next()) {
            *size = static_cast<uint64_t>(query.value(0).toLongLong());
            part = query.value(1).toByteArray().toStdString();
        }
        return {};
    });
    return part;
}

}  // namespace ZapModule
