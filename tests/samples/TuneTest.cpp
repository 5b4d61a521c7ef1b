#include "samples/Tune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kelto::samples {
namespace {

TEST(TuneTest, RendersExactlyTheRequestedLength) {
    struct Case {
        int durationMs;
        int rate;
        std::size_t samples;
    };
    for (const Case c : {Case{5000, 44100, 220500}, Case{1234, 8000, 9872}, Case{0, 44100, 0},
                         Case{10, 48000, 480}}) {
        SCOPED_TRACE(c.durationMs);
        EXPECT_EQ(RenderTune(SampleTune(), c.durationMs, c.rate).size(), c.samples);
    }
}

TEST(TuneTest, NoteSoundsOnlyFromItsStartUntilItsReleaseAtItsPitch) {
    constexpr int kRate = 8000;
    // A4 from 1.0 s to 1.5 s, then 30 ms of release.
    const auto samples = RenderTune({{1000, 500, 69, 127}}, 2000, kRate);
    ASSERT_EQ(samples.size(), 16000u);
    auto silent = [&](int fromMs, int toMs) {
        return std::all_of(samples.begin() + fromMs * kRate / 1000,
                           samples.begin() + toMs * kRate / 1000, [](auto s) { return s == 0; });
    };
    EXPECT_TRUE(silent(0, 1000));
    EXPECT_TRUE(silent(1531, 2000));
    EXPECT_FALSE(silent(1000, 1010));

    // Two zero crossings a period: 440 Hz gives 88 in the 100 ms from 1.2 s.
    int crossings = 0;
    for (int i = 1200 * kRate / 1000; i < 1300 * kRate / 1000; ++i) {
        crossings += (samples[i] < 0) != (samples[i + 1] < 0);
    }
    EXPECT_NEAR(crossings, 88, 2);
}

TEST(TuneTest, SampleTuneIsClearlyAudibleAndNeverClips) {
    const auto samples = RenderTune(SampleTune(), kSampleTuneMs, 44100);
    int peak = 0;
    for (const auto s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 32767 / 4);
    EXPECT_LT(peak, 32767);
}

}  // namespace
}  // namespace kelto::samples
