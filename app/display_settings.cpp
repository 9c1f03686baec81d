// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace ZapModule {

namespace {

const QString kFullScreen = QStringLiteral("display/fullScreen");
const QString kHallServer = QStringLiteral("hallServer");

}  // namespace

QString DisplaySettings::UserFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zapwall/zapwall.conf");
}

bool DisplaySettings::FullScreen() const {
    return QSettings(file_, QSettings::IniFormat).value(kFullScreen, false).toBool();
}

std::string DisplaySettings::HallServer() const {
    return QSettings(file_, QSettings::IniFormat).value(kHallServer).toString().toStdString();
}

void DisplaySettings::SetFullScreen(bool on) {
    QSettings settings(file_, QSettings::IniFormat);
    settings.setValue(kFullScreen, on);
}

}  // namespace ZapModule
