// SPDX-License-Identifier: GPL-3.0-or-later
// The animation table file: what it accepts, what it refuses (always naming animations.ko and the
// place), and the records it gives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/animations.h"

namespace ZapModule {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

using Problems = std::vector<std::string>;

Problems Check(const std::string& text) {
    return CheckAnimationFile(Bytes(text));
}

std::vector<AnimationRecord> Load(const std::string& text) {
    GameState s;
    s.Animations.resize(3);  // whatever was there is replaced
    LoadAnimations(s, Bytes(text));
    return s.Animations;
}

const std::string kSixRecords =
    "4,4,30,30,3\r\n5,8,40,40,2\r\n8,4,30,30,3\r\n9,4,30,30,3\r\n10,6,25,25,4\r\n11,4,36,36,3\r\n";

TEST(AnimationFile, AcceptsAGameTableAndLoadsItWithSheetsCountedFromZero) {
    EXPECT_TRUE(Check(kSixRecords).empty());
    EXPECT_EQ(Load(kSixRecords), (std::vector<AnimationRecord>{{3, 4, 30, 30, 3},
                                                               {4, 8, 40, 40, 2},
                                                               {7, 4, 30, 30, 3},
                                                               {8, 4, 30, 30, 3},
                                                               {9, 6, 25, 25, 4},
                                                               {10, 4, 36, 36, 3}}));
}

TEST(AnimationFile, LayoutVariantsReadTheSame) {
    const std::vector<AnimationRecord> oneLine = {{0, 2, 3, 4, 5}, {12, 7, 8, 9, 10}};
    EXPECT_EQ(Load("1,2,3,4,5\n13,7,8,9,10"), oneLine);
    for (const std::string text : {
             "1,2,3,4,5\n13,7,8,9,10\n",                 // a final line end
             "1,2,3,4,5\r\n13,7,8,9,10\r\n",             // Windows line ends
             "1,2,3,4,5\r13,7,8,9,10\r",                 // old Mac line ends
             "1,2,3\n4,5\n13,7,8,9,10",                  // a record over two lines
             "1\n2\n3\n4\n5\n13\n7\n8\n9\n10\n",         // one number a line
             " 1 ,\t2, 3 ,4 , 5\t\n13, +7,8,009,10 \n",  // blanks, a plus sign, leading zeros
         }) {
        EXPECT_TRUE(Check(text).empty()) << text;
        EXPECT_EQ(Load(text), oneLine) << text;
    }
}

TEST(AnimationFile, RefusesTooFewRecords) {
    EXPECT_EQ(
        Check("4,4,30,30,3\n"),
        Problems{"animations.ko: tabulka má úplných záznamů 1, potřebuje aspoň 2 (záznam 1 je "
                 "výbuch)"});
    EXPECT_EQ(Check("").size(), 1u);
    EXPECT_EQ(Check("\r\n").size(), 1u);
    EXPECT_TRUE(Load("4,4,30,30,3\n").empty());
}

TEST(AnimationFile, RefusesBadValuesNamingTheirPlace) {
    const struct {
        std::string text, problem;
    } cases[] = {
        {"1,2,3,4,5\n14,2,3,4,5\n",
         "animations.ko: záznam 1 (řádek 2): číslo obrázku 14 není mezi 1 a 13"},
        {"1,2,3,4,5\n0,2,3,4,5\n",
         "animations.ko: záznam 1 (řádek 2): číslo obrázku 0 není mezi 1 a 13"},
        {"1,2,3,4,5\n2,2,32768,4,5\n",
         "animations.ko: řádek 2: \"32768\" je mimo rozsah -32768 až 32767"},
        {"1,2,3,4,5\n2,2,3,-32769,5\n",
         "animations.ko: řádek 2: \"-32769\" je mimo rozsah -32768 až 32767"},
        {"1,2,3,4,5\n2,2,3,4,99999999999999999999\n",
         "animations.ko: řádek 2: \"99999999999999999999\" je mimo rozsah -32768 až 32767"},
        {"1,2,3,4,5\n2,2,3.5.1,4,5\n", "animations.ko: řádek 2: \"3.5.1\" není číslo"},
        {"1,2,3,4,5\n2,2,.,4,5\n", "animations.ko: řádek 2: \".\" není číslo"},
        {"1,2,3,4,5\n2,2,3 4,4,5\n", "animations.ko: řádek 2: \"3 4\" není číslo"},
        {"1,2,3,4,5\n2,2,-,4,5\n", "animations.ko: řádek 2: \"-\" není číslo"},
        {"1,2,3,4,5\n2,2,\xE9,4,5\n", "animations.ko: řádek 2: \"?\" není číslo"},
        {"1,2,3,4,5\n2,2,,4,5\n", "animations.ko: řádek 2: chybí číslo"},
        {"1,2,3,4,5\n\n2,2,3,4,5\n", "animations.ko: řádek 2: chybí číslo"},
        {"1,2,3,4,5\n2,2,3,4,5\n\n", "animations.ko: řádek 3: prázdné řádky za posledním záznamem"},
        {"1,2,3,4,5\r\n2,2,3,4,5\r\n \r\n\r\n",
         "animations.ko: řádek 3: prázdné řádky za posledním záznamem"},
        {"1,2,3,4,5\n2,2,3,4,5\n3,2,3\n",
         "animations.ko: záznam 2 (řádek 3) je neúplný: má jen 3 z 5 čísel"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check(c.text), Problems{c.problem}) << c.text;
        EXPECT_TRUE(Load(c.text).empty()) << c.text;
    }
    // Numbers with a fraction are taken to the nearest integer, ties to even.
    EXPECT_EQ(Load("1,2.5,3.5,4.51,-0.5\n1,2,3,4,32767.4\n"),
              (std::vector<AnimationRecord>{{0, 2, 4, 5, 0}, {0, 2, 3, 4, 32767}}));
    EXPECT_FALSE(Check("1,2,3,4,5\n2,2,3,4,32767.5\n").empty());  // rounds out of range
    // Values at the ends of the 16-bit range are fine.
    EXPECT_TRUE(Check("13,-32768,32767,0,-1\n1,2,3,4,5").empty());
    // A trailing comma leaves a number missing at the end of the record's line.
    EXPECT_FALSE(Check("1,2,3,4,5\n2,2,3,4,5,\n").empty());
}

TEST(AnimationFile, BoundsWhatItReadsAndReports) {
    // Over 1 MiB: refused before anything is read.
    std::string huge;
    while (huge.size() <= (1u << 20)) huge += "1,2,3,4,5\n";
    const auto tooLarge = Check(huge);
    ASSERT_EQ(tooLarge.size(), 1u);
    EXPECT_NE(tooLarge[0].find("1 MiB"), std::string::npos);
    EXPECT_TRUE(Load(huge).empty());

    // More records than a 16-bit count can hold.
    std::string many;
    for (int i = 0; i < 32768; ++i) many += "1,2,3,4,5\n";
    EXPECT_EQ(Check(many),
              Problems{"animations.ko: tabulka má záznamů 32768, nejvýše smí mít 32767"});
    many.resize(many.size() - 10);
    EXPECT_TRUE(Check(many).empty());

    // A file of junk lists its first problems, not one per line.
    std::string junk;
    for (int i = 0; i < 500; ++i) junk += "x,y\n";
    const auto problems = Check(junk);
    ASSERT_EQ(problems.size(), 11u);
    EXPECT_EQ(problems.back(), "animations.ko: další chyby se neuvádějí");
}

}  // namespace
}  // namespace ZapModule
