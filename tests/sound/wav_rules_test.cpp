// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV rules that the sound component plays by and `zapwall-data check` judges by: one parser
// decides, so a file is either refused with a reason or decoded, never let through by the check
// and then left silent by the component.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sound/wav_check.h"
#include "tests/sound/wav_writer.h"

namespace ZapModule {
namespace {

using namespace ZapTest;

// The extensible header around a sub-format tag: valid bits, channel mask, the GUID.
std::vector<uint8_t> Extensible(int tag, int validBits, uint8_t guidByte = 0x00) {
    std::vector<uint8_t> extra;
    Put16(extra, 22);
    Put16(extra, validBits);
    Put32(extra, 4);
    Put16(extra, tag);
    extra.insert(extra.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00,
                               0x38, 0x9B, guidByte == 0 ? uint8_t{0x71} : guidByte});
    return extra;
}

// The MS ADPCM extension: samples a block, the seven standard coefficient pairs.
std::vector<uint8_t> MsAdpcm(int framesPerBlock, int coefficients = 7) {
    static const int kStandard[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                        {240, 0}, {460, -208}, {392, -232}};
    std::vector<uint8_t> extra;
    Put16(extra, 4 + 4 * coefficients);
    Put16(extra, framesPerBlock);
    Put16(extra, coefficients);
    for (int k = 0; k < coefficients; ++k) {
        Put16(extra, kStandard[k % 7][0]);
        Put16(extra, kStandard[k % 7][1]);
    }
    return extra;
}

std::vector<uint8_t> ImaAdpcm(int framesPerBlock) {
    std::vector<uint8_t> extra;
    Put16(extra, 2);
    Put16(extra, framesPerBlock);
    return extra;
}

TEST(WavRules, RefuseWhatNoDecoderReadsWithTheReason) {
    const std::vector<uint8_t> pcm(64, 0);
    const struct {
        std::string Name;
        std::vector<uint8_t> File;
        std::string Problem;
    } cases[] = {
        {"block align 65535", Wav(WavFormat{1, 1, 65535, 16}, pcm), "velikost bloku 65535"},
        {"block align for stereo", Wav(WavFormat{1, 1, 4, 16}, pcm), "velikost bloku 4"},
        {"two fmt chunks", Wav({FmtChunk(WavFormat{}), FmtChunk(WavFormat{})}, pcm), "dvakrát"},
        {"odd extensible GUID",
         Wav(WavFormat{0xFFFE, 1, 2, 16, 8000, Extensible(1, 16, 0x72)}, pcm), "rozšířený formát"},
        {"extensible too short", Wav(WavFormat{0xFFFE, 1, 2, 16, 8000, {0, 0}}, pcm),
         "rozšířený formát"},
        {"extensible ADPCM", Wav(WavFormat{0xFFFE, 1, 256, 4, 8000, Extensible(2, 4)}, pcm),
         "nepodporovaný formát"},
        {"extensible valid bits beyond the sample",
         Wav(WavFormat{0xFFFE, 1, 2, 16, 8000, Extensible(1, 24)}, pcm), "nepodporovaný formát"},
        {"MS ADPCM, frames a block wrong", Wav(WavFormat{2, 1, 256, 4, 8000, MsAdpcm(100)}, pcm),
         "počet vzorků v bloku"},
        {"MS ADPCM, no coefficients", Wav(WavFormat{2, 1, 256, 4, 8000, MsAdpcm(500, 0)}, pcm),
         "koeficienty"},
        {"MS ADPCM, block smaller than its header",
         Wav(WavFormat{2, 2, 10, 4, 8000, MsAdpcm(2)}, pcm), "velikost bloku ADPCM"},
        {"IMA ADPCM, block of no whole groups",
         Wav(WavFormat{0x11, 1, 255, 4, 8000, ImaAdpcm(503)}, pcm), "velikost bloku ADPCM"},
        {"IMA ADPCM, 3 bits", Wav(WavFormat{0x11, 1, 256, 3, 8000, ImaAdpcm(505)}, pcm),
         "nepodporovaný formát"},
        {"PCM of 12 bits", Wav(WavFormat{1, 1, 2, 12}, pcm), "nepodporovaný formát"},
        {"data only within a block", Wav(WavFormat{0x11, 1, 256, 4, 8000, ImaAdpcm(505)}, pcm),
         "žádná data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_THAT(WavProblem(c.File), ::testing::HasSubstr(c.Problem));
        EXPECT_FALSE(DecodeWav(c.File).has_value());
    }
}

TEST(WavRules, DecodeEveryFormatTheyLetThrough) {
    // PCM of each width: full scale down, half up.
    std::vector<uint8_t> pcm8{0x00, 0xC0};
    std::vector<uint8_t> pcm16;
    Put16(pcm16, -32768);
    Put16(pcm16, 16384);
    std::vector<uint8_t> pcm24{0x00, 0x00, 0x80, 0x00, 0x00, 0x40};
    std::vector<uint8_t> pcm32;
    Put32(pcm32, 0x80000000u);
    Put32(pcm32, 0x40000000u);
    std::vector<uint8_t> float32;
    Put32(float32, 0xBF800000u);  // -1.0
    Put32(float32, 0x3F000000u);  // 0.5
    // G.711: the codes of silence and of the loudest values.
    const std::vector<uint8_t> law{0xD5, 0x2A, 0xFF, 0x80};
    // IMA ADPCM: the header's sample, then the nibbles 0, 1, 2, 3, 0, 0, 0, 0, low one of each
    // byte first, at step 7 (index 0): +0, +(7 >> 2), +(7 >> 1), +(7 >> 2) + (7 >> 1), +0 ...
    std::vector<uint8_t> ima;
    Put16(ima, 1000);
    ima.insert(ima.end(), {0, 0, 0x10, 0x32, 0x00, 0x00});
    // MS ADPCM: the two header samples, older first, then the prediction of the first pair.
    std::vector<uint8_t> ms{0};  // predictor 0: 256, 0
    Put16(ms, 16);               // delta
    Put16(ms, 200);              // sample 1
    Put16(ms, 100);              // sample 2
    ms.push_back(0x10);          // nibbles 1 and 0
    // The decoded frames of 16-bit values.
    const auto frames = [](std::initializer_list<int> values) {
        std::vector<float> scaled;
        for (const int v : values) scaled.push_back(static_cast<float>(v) / 32768.0f);
        return scaled;
    };
    const struct {
        std::string Name;
        std::vector<uint8_t> File;
        std::vector<float> Frames;
    } cases[] = {
        {"PCM 8", Wav(WavFormat{1, 1, 1, 8}, pcm8), {-1.0f, 0.5f}},
        {"PCM 16", Wav(WavFormat{1, 1, 2, 16}, pcm16), {-1.0f, 0.5f}},
        {"PCM 24", Wav(WavFormat{1, 1, 3, 24}, pcm24), {-1.0f, 0.5f}},
        {"PCM 32", Wav(WavFormat{1, 1, 4, 32}, pcm32), {-1.0f, 0.5f}},
        {"float", Wav(WavFormat{3, 1, 4, 32}, float32), {-1.0f, 0.5f}},
        {"extensible PCM 16",
         Wav(WavFormat{0xFFFE, 1, 2, 16, 8000, Extensible(1, 16)}, pcm16),
         {-1.0f, 0.5f}},
        {"A-law", Wav(WavFormat{6, 2, 2, 8}, law), frames({8, -32256, 848, 5504})},
        {"mu-law", Wav(WavFormat{7, 1, 1, 8}, law), frames({716, -5372, 0, 32124})},
        {"IMA ADPCM", Wav(WavFormat{0x11, 1, 8, 4, 8000, ImaAdpcm(9)}, ima),
         frames({1000, 1000, 1001, 1004, 1008, 1008, 1008, 1008, 1008})},
        {"MS ADPCM", Wav(WavFormat{2, 1, 8, 4, 8000, MsAdpcm(4)}, ms),
         frames({100, 200, 216, 216})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(WavProblem(c.File), "");
        const std::optional<WavSound> sound = DecodeWav(c.File);
        ASSERT_TRUE(sound.has_value());
        EXPECT_EQ(sound->Frames, c.Frames);
    }
}

}  // namespace
}  // namespace ZapModule
