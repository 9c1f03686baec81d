// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/czech_qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ZapModule {

bool InstallCzechQtTexts() {
    static QTranslator* installed = nullptr;
    if (installed != nullptr) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_cs"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

}  // namespace ZapModule
