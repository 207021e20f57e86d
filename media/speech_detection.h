// Where people speak in a film's sound: a voice activity detector of our own, run on mono audio
// at 8 kHz. Telephone-band energy (300-3400 Hz) against a noise floor that follows the film, and
// the band's spectral flatness to tell voices (harmonic, peaky) from hiss, rain and crowds.
// Plain C++: the player and duvara-subs both use it, neither pulls Qt through it.
#pragma once

#include <cstdint>
#include <vector>

namespace duvara {

inline constexpr int SpeechSampleRate = 8000;
// Frames of 32 ms every 16 ms.
inline constexpr int SpeechFrameSamples = 256;
inline constexpr int SpeechHopSamples = 128;
inline constexpr double SpeechHopMs = 1000.0 * SpeechHopSamples / SpeechSampleRate;

// Per frame k (samples k * hop .. k * hop + frame): band energy in dB and flatness in (0, 1].
struct SpeechFeatures
{
    std::vector<float> energyDb;
    std::vector<float> flatness;

    std::size_t size() const { return energyDb.size(); }
    // Appends `other`'s frames after ours; the parts of a film decoded apart are joined so.
    void Append(const SpeechFeatures &other);
};

// Turns samples into frame features as they come, so a two-hour film is never held in memory.
class SpeechFeatureExtractor
{
public:
    SpeechFeatureExtractor();

    void Push(const float *samples, std::size_t count);
    // Frames whose window has been filled so far.
    const SpeechFeatures &Features() const { return m_features; }
    SpeechFeatures TakeFeatures();

private:
    void AnalyseFrame();

    std::vector<float> m_window; // Hann
    std::vector<float> m_pending; // samples not yet a full frame
    std::size_t m_pendingStart = 0; // first unused sample in m_pending
    SpeechFeatures m_features;
};

struct SpeechInterval
{
    int64_t startMs = 0;
    int64_t endMs = 0;
};

struct SpeechDetectionOptions
{
    // A frame is speech when its band energy stands this far above the floor around it...
    float onsetDb = 9.0f;
    // ...and stays speech down to this, so a voice fading out is followed to its end.
    float holdDb = 5.0f;
    // Voices are peaky; noise of the same loudness is flat.
    float maxFlatness = 0.45f;
    // The floor is the quietest moment within this distance either way.
    int floorWindowMs = 3000;
    // Pauses shorter than this inside a sentence do not split it.
    int bridgeMs = 200;
    // Shorter bursts are clicks and knocks, not words.
    int minSpeechMs = 100;
};

// The spoken intervals, in film time, ascending and apart.
std::vector<SpeechInterval> DetectSpeech(const SpeechFeatures &features,
                                         const SpeechDetectionOptions &options = {});

} // namespace duvara
