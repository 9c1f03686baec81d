// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hall's database, SQLite in a file or PostgreSQL through libpq's connection string: each of
// the server's threads talks to it through a connection of its own, opened again when it fails.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <string>

namespace ZapModule {

QString Text(const std::string& text);

// The reason the query failed.
std::string Problem(const QSqlQuery& query);

// Runs `work` on this thread's connection to SQLite in the file `sqlite`, or to PostgreSQL by
// `postgresql` when that is not empty; when it fails, once more on a connection opened anew, so
// that a database that restarted costs no request. `work` returns the problem, as this does.
std::string OnConnection(const std::string& sqlite, const std::string& postgresql,
                         const std::function<std::string(QSqlDatabase&)>& work);

}  // namespace ZapModule
