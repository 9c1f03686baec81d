// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_settings.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <iostream>

#include "platform/file_reading.h"
#include "storage/file_problems.h"

namespace ZapModule {

namespace {

const QString kFullScreen = QStringLiteral("display/fullScreen");
const QString kHallServer = QStringLiteral("hallServer");
// Far more than the few lines a player's settings take.
constexpr size_t kMaxSettingsBytes = 1 << 20;

}  // namespace

QString UserSettings::UserFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zapwall/zapwall.conf");
}

bool UserSettings::Usable() const {
    // Opened as every data file is: a FIFO or a device is never waited on.
    const FileRead read =
        ReadRegularFile(QFile::encodeName(file_).toStdString(), kMaxSettingsBytes);
    if (read.Ok() || read.Failure == ReadFailure::Missing) return true;
    if (!std::exchange(told_, true))
        std::cerr << "zapwall: soubor nastavení " << file_.toStdString() << " nelze přečíst ("
                  << DescribeReadFailure(read)
                  << "); hra použije výchozí nastavení a nic do něj neuloží.\n";
    return false;
}

QVariant UserSettings::Value(const QString& key, const QVariant& fallback) const {
    const FileRead read =
        ReadRegularFile(QFile::encodeName(file_).toStdString(), kMaxSettingsBytes);
    if (!read.Ok()) {
        Usable();
        return fallback;
    }
    // Qt reads its settings only from a file it opens itself: it is given a copy of what was read.
    QTemporaryFile copy;
    const std::string text(read.Bytes.begin(), read.Bytes.end());
    const auto size = static_cast<qint64>(text.size());
    if (!copy.open() || copy.write(text.data(), size) != size || !copy.flush()) return fallback;
    return QSettings(copy.fileName(), QSettings::IniFormat).value(key, fallback);
}

bool UserSettings::FullScreen() const {
    return Value(kFullScreen, false).toBool();
}

std::string UserSettings::HallServer() const {
    return Value(kHallServer, QString()).toString().toStdString();
}

void UserSettings::SetFullScreen(bool on) {
    if (!Usable()) return;
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(kFullScreen, on);
}
}  // namespace ZapModule
