#include "samples/Tune.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelto::samples {

namespace {

constexpr double kNoteLevel = 0.22;  // four notes at once stay below full scale
constexpr double kAttackMs = 8.0;
constexpr double kReleaseMs = 30.0;
constexpr double kDecayPerSecond = 2.5;

double FrequencyOf(std::uint8_t key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

}  // namespace

std::vector<MidiNote> SampleTune() {
    // Melody over C, A minor, F, G, C.
    return {
        {0, 500, 64, 100},    {500, 500, 67, 100},  {1000, 500, 72, 110}, {1500, 250, 71, 95},
        {1750, 250, 69, 95},  {2000, 500, 67, 100}, {2500, 250, 64, 95},  {2750, 250, 65, 95},
        {3000, 500, 67, 105}, {3500, 500, 62, 100}, {4000, 900, 60, 110}, {0, 1000, 48, 80},
        {1000, 1000, 45, 80}, {2000, 1000, 41, 80}, {3000, 1000, 43, 80}, {4000, 900, 48, 80},
    };
}

std::vector<std::int16_t> RenderTune(const std::vector<MidiNote>& notes, int durationMs, int rate) {
    const auto total = static_cast<std::size_t>(
        std::max(0LL, static_cast<long long>(durationMs) * std::max(rate, 0) / 1000));
    std::vector<double> mix(total, 0.0);
    for (const MidiNote& note : notes) {
        const double frequency = FrequencyOf(note.key);
        const double level = kNoteLevel * note.velocity / 127.0;
        const long long first = static_cast<long long>(note.startMs) * rate / 1000;
        const long long held = static_cast<long long>(note.lengthMs) * rate / 1000;
        const long long release = static_cast<long long>(kReleaseMs * rate / 1000.0);
        for (long long i = 0; i < held + release; ++i) {
            const long long at = first + i;
            if (at < 0) {
                continue;
            }
            if (at >= static_cast<long long>(total)) {
                break;
            }
            const double seconds = static_cast<double>(i) / rate;
            double envelope =
                std::min(1.0, seconds * 1000.0 / kAttackMs) * std::exp(-kDecayPerSecond * seconds);
            if (i >= held) {
                envelope *= 1.0 - static_cast<double>(i - held) / static_cast<double>(release);
            }
            const double phase = 2.0 * std::numbers::pi * frequency * seconds;
            // A touch of the octave above gives the sine a rounder, bell-like colour.
            mix[static_cast<std::size_t>(at)] +=
                level * envelope * (0.8 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
        }
    }
    std::vector<std::int16_t> samples(total);
    std::transform(mix.begin(), mix.end(), samples.begin(), [](double value) {
        return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
    });
    return samples;
}

}  // namespace kelto::samples
