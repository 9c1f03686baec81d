// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/level_set_store.h"

#include <QByteArray>
#include <QDateTime>
#include <QVariant>
#include <utility>

#include "hall/database_connection.h"

namespace ZapModule {

namespace {

const QString kColumns =
    QStringLiteral("address, levels, title, author, published, level_count, hidden");

PublishedSet ReadSet(const QSqlQuery& query) {
    return {query.value(0).toString().toStdString(), query.value(1).toString().toStdString(),
            query.value(2).toString().toStdString(), query.value(3).toString().toStdString(),
            query.value(4).toString().toStdString(), query.value(5).toLongLong(),
            query.value(6).toLongLong() != 0};
}

}  // namespace

LevelSetStore::LevelSetStore(std::string sqlite, std::string postgresql)
    : sqlite_(std::move(sqlite)), postgresql_(std::move(postgresql)) {}

std::string LevelSetStore::Open() {
    const QString table =
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS level_sets (address TEXT PRIMARY KEY, "
            "levels TEXT NOT NULL UNIQUE, title TEXT NOT NULL, author TEXT NOT NULL, "
            "published TEXT NOT NULL, level_count BIGINT NOT NULL, file %1 NOT NULL, "
            "hidden BIGINT NOT NULL DEFAULT 0)")
            .arg(postgresql_.empty() ? QStringLiteral("BLOB") : QStringLiteral("BYTEA"));
    return OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        return query.exec(table) ? std::string() : Problem(query);
    });
}

LevelSetStore::Publishing LevelSetStore::Publish(const PublishedSet& set,
                                                 const std::vector<uint8_t>& file) {
    Publishing publishing;
    publishing.Problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        // A set published by two copies at once is kept once; the other finds it.
        query.prepare(QStringLiteral("INSERT INTO level_sets (%1, file) VALUES (?, ?, ?, ?, ?, "
                                     "?, 0, ?) ON CONFLICT DO NOTHING")
                          .arg(kColumns));
        for (const std::string& text : {set.Address, set.Levels, set.Title, set.Author})
            query.addBindValue(Text(text));
        query.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        query.addBindValue(qlonglong{set.LevelCount});
        query.addBindValue(QByteArray(reinterpret_cast<const char*>(file.data()),
                                      static_cast<qsizetype>(file.size())));
        if (!query.exec()) return Problem(query);
        const bool added = query.numRowsAffected() == 1;
        query.prepare(QStringLiteral("SELECT %1 FROM level_sets WHERE address = ? OR levels = ? "
                                     "ORDER BY address = ? DESC")
                          .arg(kColumns));
        query.addBindValue(Text(set.Address));
        query.addBindValue(Text(set.Levels));
        query.addBindValue(Text(set.Address));
        if (!query.exec()) return Problem(query);
        if (!query.next()) return "the level set was neither kept nor found";
        publishing.Kept = ReadSet(query);
        publishing.What = publishing.Kept.Address != set.Address ? Publishing::Outcome::Collides
                          : added                                ? Publishing::Outcome::New
                                                                 : Publishing::Outcome::Earlier;
        return {};
    });
    return publishing;
}

std::optional<PublishedSet> LevelSetStore::Find(const std::string& levelsOrAddress,
                                                std::vector<uint8_t>* file, std::string* problem) {
    std::optional<PublishedSet> found;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT %1, file FROM level_sets WHERE levels = ? OR address = ?")
                .arg(kColumns));
        query.addBindValue(Text(levelsOrAddress));
        query.addBindValue(Text(levelsOrAddress));
        if (!query.exec()) return Problem(query);
        if (query.next()) {
            found = ReadSet(query);
            if (file) {
                const QByteArray bytes = query.value(7).toByteArray();
                file->assign(bytes.begin(), bytes.end());
            }
        }
        return {};
    });
    return found;
}

std::vector<PublishedSet> LevelSetStore::All(std::string* problem) {
    std::vector<PublishedSet> sets;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        sets.clear();
        QSqlQuery query(db);
        if (!query.exec(
                QStringLiteral(
                    "SELECT %1 FROM level_sets WHERE hidden = 0 ORDER BY published, address")
                    .arg(kColumns)))
            return Problem(query);
        while (query.next()) sets.push_back(ReadSet(query));
        return {};
    });
    return sets;
}

bool LevelSetStore::Hide(const std::string& levelsOrAddress, bool hidden, std::string* problem) {
    bool found = false;
    *problem = OnConnection(sqlite_, postgresql_, [&](QSqlDatabase& db) -> std::string {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("UPDATE level_sets SET hidden = ? WHERE levels = ? OR address = ?"));
        query.addBindValue(qlonglong{hidden ? 1 : 0});
        query.addBindValue(Text(levelsOrAddress));
        query.addBindValue(Text(levelsOrAddress));
        if (!query.exec()) return Problem(query);
        found = query.numRowsAffected() > 0;
        return {};
    });
    return found;
}

}  // namespace ZapModule
