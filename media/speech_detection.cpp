#include "media/speech_detection.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <deque>

namespace duvara {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int BandFirstBin = 300 * SpeechFrameSamples / SpeechSampleRate + 1; // above 300 Hz
constexpr int BandLastBin = 3400 * SpeechFrameSamples / SpeechSampleRate; // up to 3400 Hz
// Keeps silence (digital zero) at a finite level far below any recorded noise.
constexpr double EnergyFloor = 1e-10;

// In-place radix-2 FFT of SpeechFrameSamples points with tables made once.
class FrameTransform
{
public:
    FrameTransform()
    {
        constexpr int n = SpeechFrameSamples;
        m_twiddles.resize(n / 2);
        for (int k = 0; k < n / 2; ++k)
            m_twiddles[k] = std::polar(1.0f, static_cast<float>(-2 * Pi * k / n));
        m_reversed.resize(n);
        int bits = 0;
        while ((1 << bits) < n)
            ++bits;
        for (int i = 0; i < n; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b)
                r |= ((i >> b) & 1) << (bits - 1 - b);
            m_reversed[i] = r;
        }
    }

    void Run(std::vector<std::complex<float>> &data) const
    {
        constexpr int n = SpeechFrameSamples;
        for (int i = 0; i < n; ++i) {
            if (i < m_reversed[i])
                std::swap(data[i], data[m_reversed[i]]);
        }
        for (int length = 2; length <= n; length <<= 1) {
            const int half = length / 2;
            const int stride = n / length;
            for (int start = 0; start < n; start += length) {
                for (int k = 0; k < half; ++k) {
                    const std::complex<float> t = m_twiddles[k * stride] * data[start + k + half];
                    data[start + k + half] = data[start + k] - t;
                    data[start + k] += t;
                }
            }
        }
    }

private:
    std::vector<std::complex<float>> m_twiddles;
    std::vector<int> m_reversed;
};

const FrameTransform &Transform()
{
    static const FrameTransform transform;
    return transform;
}

// Minimum of values[k - radius .. k + radius] for every k, in one pass.
std::vector<float> SlidingMinimum(const std::vector<float> &values, std::size_t radius)
{
    std::vector<float> result(values.size());
    std::deque<std::size_t> candidates; // indices with ascending values
    std::size_t added = 0;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::size_t last = std::min(values.size() - 1, k + radius);
        for (; added <= last; ++added) {
            while (!candidates.empty() && values[candidates.back()] >= values[added])
                candidates.pop_back();
            candidates.push_back(added);
        }
        while (candidates.front() + radius < k)
            candidates.pop_front();
        result[k] = values[candidates.front()];
    }
    return result;
}

// Mean over k - radius .. k + radius: one frame's energy flickers, a few frames' is the level.
std::vector<float> MovingAverage(const std::vector<float> &values, std::size_t radius)
{
    std::vector<float> result(values.size());
    double sum = 0;
    std::size_t from = 0;
    std::size_t to = 0; // sum covers [from, to)
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::size_t wantTo = std::min(values.size(), k + radius + 1);
        const std::size_t wantFrom = k > radius ? k - radius : 0;
        for (; to < wantTo; ++to)
            sum += values[to];
        for (; from < wantFrom; ++from)
            sum -= values[from];
        result[k] = static_cast<float>(sum / double(to - from));
    }
    return result;
}

} // namespace

void SpeechFeatures::Append(const SpeechFeatures &other)
{
    energyDb.insert(energyDb.end(), other.energyDb.begin(), other.energyDb.end());
    flatness.insert(flatness.end(), other.flatness.begin(), other.flatness.end());
}

SpeechFeatureExtractor::SpeechFeatureExtractor()
    : m_window(SpeechFrameSamples)
{
    for (int i = 0; i < SpeechFrameSamples; ++i)
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * Pi * i / SpeechFrameSamples));
}

void SpeechFeatureExtractor::Push(const float *samples, std::size_t count)
{
    m_pending.insert(m_pending.end(), samples, samples + count);
    while (m_pending.size() - m_pendingStart >= std::size_t(SpeechFrameSamples)) {
        AnalyseFrame();
        m_pendingStart += SpeechHopSamples;
    }
    // Drop what no frame needs any more, now and then rather than per hop.
    if (m_pendingStart >= 4096) {
        m_pending.erase(m_pending.begin(),
                        m_pending.begin() + static_cast<std::ptrdiff_t>(m_pendingStart));
        m_pendingStart = 0;
    }
}

SpeechFeatures SpeechFeatureExtractor::TakeFeatures()
{
    SpeechFeatures features = std::move(m_features);
    m_features = {};
    return features;
}

void SpeechFeatureExtractor::AnalyseFrame()
{
    thread_local std::vector<std::complex<float>> spectrum(SpeechFrameSamples);
    const float *frame = m_pending.data() + m_pendingStart;
    for (int i = 0; i < SpeechFrameSamples; ++i)
        spectrum[i] = {frame[i] * m_window[i], 0.0f};
    Transform().Run(spectrum);

    double sum = 0;
    double logSum = 0;
    for (int bin = BandFirstBin; bin <= BandLastBin; ++bin) {
        const double power = std::norm(spectrum[bin]) + EnergyFloor;
        sum += power;
        logSum += std::log(power);
    }
    constexpr double bins = BandLastBin - BandFirstBin + 1;
    const double mean = sum / bins;
    m_features.energyDb.push_back(static_cast<float>(10 * std::log10(mean)));
    m_features.flatness.push_back(static_cast<float>(std::exp(logSum / bins) / mean));
}

std::vector<SpeechInterval> DetectSpeech(const SpeechFeatures &features,
                                         const SpeechDetectionOptions &options)
{
    std::vector<SpeechInterval> intervals;
    const std::size_t frames = features.size();
    if (frames == 0)
        return intervals;
    const auto framesOf = [](int ms) {
        return static_cast<std::size_t>(std::max(0.0, std::round(ms / SpeechHopMs)));
    };

    const std::vector<float> level = MovingAverage(features.energyDb, 2);
    const std::vector<float> floor = SlidingMinimum(level, framesOf(options.floorWindowMs));
    // Flatness is noisy per frame too; a voice keeps it low over a syllable.
    const std::vector<float> flatness = MovingAverage(features.flatness, 2);

    std::vector<bool> active(frames, false);
    bool speaking = false;
    for (std::size_t k = 0; k < frames; ++k) {
        const float above = level[k] - floor[k];
        const bool voiced = flatness[k] <= options.maxFlatness;
        speaking = voiced && above >= (speaking ? options.holdDb : options.onsetDb);
        active[k] = speaking;
    }
    // The onset threshold is met a little into a word; the word began where its level first
    // rose above the hold threshold, so walk back to there.
    for (std::size_t k = 1; k < frames; ++k) {
        if (!active[k] || active[k - 1])
            continue;
        std::size_t j = k;
        while (j > 0 && !active[j - 1] && level[j - 1] - floor[j - 1] >= options.holdDb
               && flatness[j - 1] <= options.maxFlatness)
            active[--j] = true;
    }

    const std::size_t bridge = framesOf(options.bridgeMs);
    const auto frameMs = [](std::size_t k) {
        return std::llround(double(k) * SpeechHopMs);
    };
    // A frame stands for the middle of its window.
    const double centreMs = 500.0 * SpeechFrameSamples / SpeechSampleRate;
    std::size_t k = 0;
    while (k < frames) {
        if (!active[k]) {
            ++k;
            continue;
        }
        const std::size_t first = k;
        std::size_t last = k;
        std::size_t gap = 0;
        for (++k; k < frames && gap <= bridge; ++k) {
            if (active[k]) {
                last = k;
                gap = 0;
            } else {
                ++gap;
            }
        }
        k = last + 1;
        SpeechInterval interval;
        interval.startMs = frameMs(first) + std::llround(centreMs - SpeechHopMs / 2);
        interval.endMs = frameMs(last) + std::llround(centreMs + SpeechHopMs / 2);
        if (interval.endMs - interval.startMs >= options.minSpeechMs)
            intervals.push_back(interval);
    }
    return intervals;
}

} // namespace duvara
