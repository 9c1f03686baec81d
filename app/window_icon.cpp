// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_icon.h"

#include <QDir>

namespace ZapModule {

QIcon WindowIcon() {
    QIcon icon;
    for (const QFileInfo& size : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files))
        icon.addFile(size.filePath());
    return icon;
}

}  // namespace ZapModule
