// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/user_settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace ZapModule {

namespace {

const QString kFullScreen = QStringLiteral("display/fullScreen");
const QString kHallServer = QStringLiteral("hallServer");

}  // namespace

QString UserSettings::UserFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zapwall/zapwall.conf");
}

bool UserSettings::FullScreen() const {
    return QSettings(file_, QSettings::IniFormat).value(kFullScreen, false).toBool();
}

std::string UserSettings::HallServer() const {
    return QSettings(file_, QSettings::IniFormat).value(kHallServer).toString().toStdString();
}

void UserSettings::SetFullScreen(bool on) {
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(kFullScreen, on);
}

}  // namespace ZapModule
