// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows-1250 table of the engine against Qt's converters, code by code.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include "storage/cp1250.h"

namespace ZapModule {
namespace {

TEST(Cp1250, EveryCodeMatchesQtBothWays) {
    for (int code = 0; code < 256; ++code) {
        const char byte = static_cast<char>(code);
        QStringDecoder decoder("windows-1250");
        ASSERT_TRUE(decoder.isValid());
        const QString qt = decoder.decode(QByteArray(&byte, 1));
        ASSERT_EQ(qt.size(), 1) << code;
        const char32_t ours = Cp1250ToUnicode(static_cast<uint8_t>(code));
        EXPECT_EQ(static_cast<char32_t>(qt[0].unicode()), ours) << "code " << code;

        EXPECT_EQ(UnicodeToCp1250(ours), static_cast<uint8_t>(code)) << "code " << code;
        QStringEncoder encoder("windows-1250");
        const QByteArray back = encoder.encode(qt);
        EXPECT_FALSE(encoder.hasError());
        EXPECT_EQ(back, QByteArray(&byte, 1)) << "code " << code;

        // Through UTF-8, as names travel.
        const std::string utf8 = DecodeCp1250({static_cast<uint8_t>(code)});
        EXPECT_EQ(utf8, qt.toStdString()) << "code " << code;
        EXPECT_EQ(EncodeCp1250(utf8), std::vector<uint8_t>{static_cast<uint8_t>(code)});
    }
}

TEST(Cp1250, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    for (const char* text : {"日", "😀", "Ω", "ő", "ŵ"}) {
        QStringEncoder encoder("windows-1250");
        const QByteArray qt = encoder.encode(QString::fromUtf8(text));
        EXPECT_EQ(encoder.hasError(), EncodeCp1250(text) == std::vector<uint8_t>{'?'}) << text;
        if (!encoder.hasError()) {
            EXPECT_EQ(EncodeCp1250(text), std::vector<uint8_t>(qt.begin(), qt.end())) << text;
        }
    }
    EXPECT_EQ(EncodeCp1250("a\xFF"
                           "b"),
              (std::vector<uint8_t>{'a', '?', 'b'}));                                // not UTF-8
    EXPECT_EQ(EncodeCp1250("\xC3"), std::vector<uint8_t>{'?'});                      // cut short
    EXPECT_EQ(EncodeCp1250("\xE0\x80\xAF"), (std::vector<uint8_t>{'?', '?', '?'}));  // overlong
    const char* sentence = "Příliš žluťoučký kůň úpěl ďábelské ódy";
    const QByteArray qt = QStringEncoder("windows-1250").encode(QString::fromUtf8(sentence));
    EXPECT_EQ(EncodeCp1250(sentence), std::vector<uint8_t>(qt.begin(), qt.end()));
}

}  // namespace
}  // namespace ZapModule
