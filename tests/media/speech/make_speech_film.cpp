// Writes the sound of a test film in which phrases spoken by a speech synthesiser are heard at
// known times over a noise bed, with bursts of hiss between some of them that a voice detector
// must not take for speech. The sound goes to stdout as signed 16-bit mono PCM at the phrases'
// rate; the subtitle track of what is said, and when, goes to OUT_SRT.
//
//   duvara-speech-film-maker OUT_SRT SECONDS SEED PHRASE.wav...
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Phrase
{
    std::vector<float> samples; // trimmed to the voice
};

bool ReadWav(const std::string &path, std::vector<float> &samples, int &rate)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0)
        return false;
    const auto u32 = [&bytes](std::size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    const auto u16 = [&bytes](std::size_t at) {
        uint16_t v = 0;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    };
    std::size_t at = 12;
    bool format = false;
    while (at + 8 <= bytes.size()) {
        std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        size = std::min(size, bytes.size() - body);
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0) {
            if (u16(body) != 1 || u16(body + 2) != 1 || u16(body + 14) != 16)
                return false; // only 16-bit mono PCM, which the synthesiser writes
            rate = static_cast<int>(u32(body + 4));
            format = true;
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && format) {
            for (std::size_t i = 0; i + 1 < size; i += 2) {
                int16_t v = 0;
                std::memcpy(&v, bytes.data() + body + i, 2);
                samples.push_back(v / 32768.0f);
            }
            return !samples.empty();
        }
        at = body + size + (size & 1);
    }
    return false;
}

// Cuts the synthesiser's leading and trailing silence, so the subtitle times are the voice's.
std::vector<float> Trim(const std::vector<float> &samples)
{
    float peak = 0;
    for (const float s : samples)
        peak = std::max(peak, std::abs(s));
    const float threshold = peak * 0.03f;
    std::size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) < threshold)
        ++first;
    std::size_t last = samples.size();
    while (last > first && std::abs(samples[last - 1]) < threshold)
        --last;
    std::vector<float> trimmed(samples.begin() + std::ptrdiff_t(first),
                               samples.begin() + std::ptrdiff_t(last));
    for (float &s : trimmed)
        s *= 0.5f / peak;
    return trimmed;
}

std::string SrtTime(int64_t ms)
{
    char text[32];
    const auto part = [ms](int64_t unit, int64_t modulo) {
        return static_cast<long long>(ms / unit % modulo);
    };
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", part(3600000, 1000),
                  part(60000, 60), part(1000, 60), part(1, 1000));
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fputs("usage: duvara-speech-film-maker OUT_SRT SECONDS SEED PHRASE.wav...\n", stderr);
        return 2;
    }
    const std::string srtPath = argv[1];
    const double seconds = std::atof(argv[2]);
    std::mt19937_64 random(std::strtoull(argv[3], nullptr, 10));
    int rate = 0;
    std::vector<Phrase> phrases;
    for (int i = 4; i < argc; ++i) {
        std::vector<float> samples;
        if (!ReadWav(argv[i], samples, rate)) {
            std::fprintf(stderr, "%s: not a 16-bit mono WAV file\n", argv[i]);
            return 1;
        }
        phrases.push_back({Trim(samples)});
    }

    const auto total = static_cast<std::size_t>(seconds * rate);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto between = [&](double low, double high) {
        return low + (high - low) * unit(random);
    };
    const auto msToSample = [rate](int64_t ms) {
        return static_cast<std::size_t>(ms * rate / 1000);
    };

    // What is heard where, laid out first and mixed a block at a time, so that a feature-length
    // film never has to be held in memory.
    struct Voice
    {
        const Phrase *phrase;
        std::size_t first;
        float loudness;
    };
    struct Hiss
    {
        std::size_t first;
        std::size_t length;
    };
    std::vector<Voice> voices;
    std::vector<Hiss> hisses;
    std::ofstream srt(srtPath, std::ios::binary);
    int64_t at = 2000;
    int number = 0;
    double speechPower = 0;
    std::size_t speechSamples = 0;
    while (true) {
        const Phrase &phrase = phrases[random() % phrases.size()];
        const int64_t lengthMs = static_cast<int64_t>(phrase.samples.size()) * 1000 / rate;
        // Subtitles stay up a little after the voice stops.
        const int64_t linger = static_cast<int64_t>(between(0, 400));
        const int64_t gap = static_cast<int64_t>(between(400, 4000));
        if (msToSample(at + lengthMs + linger + gap) >= total)
            break;
        const float loudness = static_cast<float>(between(0.5, 1.0));
        voices.push_back({&phrase, msToSample(at), loudness});
        for (const float s : phrase.samples)
            speechPower += double(s * loudness) * (s * loudness);
        speechSamples += phrase.samples.size();
        ++number;
        srt << number << "\r\n"
            << SrtTime(at) << " --> " << SrtTime(at + lengthMs + linger) << "\r\nLine " << number
            << "\r\n\r\n";
        // Now and then a door, wind or applause between the lines: loud, but flat.
        if (gap > 1500 && unit(random) < 0.3)
            hisses.push_back({msToSample(at + lengthMs + linger + 300),
                              msToSample(static_cast<int64_t>(between(300, gap - 800)))});
        at += lengthMs + linger + gap;
    }

    // A noise bed 15 dB under the voices: low rumble and hiss, as a room or a street gives.
    const double speechRms
        = std::sqrt(speechPower / double(std::max<std::size_t>(speechSamples, 1)));
    const float bedRms = static_cast<float>(speechRms * std::pow(10.0, -15.0 / 20));
    std::normal_distribution<float> white(0, 1);
    float brown = 0;
    constexpr std::size_t Block = 1 << 16;
    std::vector<float> sound(Block);
    std::vector<int16_t> out(Block);
    std::size_t nextVoice = 0;
    std::size_t nextHiss = 0;
    for (std::size_t from = 0; from < total; from += Block) {
        const std::size_t to = std::min(total, from + Block);
        std::fill(sound.begin(), sound.end(), 0.0f);
        // Voices and hisses come in order and apart: those wholly before the block are done.
        while (nextVoice < voices.size()
               && voices[nextVoice].first + voices[nextVoice].phrase->samples.size() <= from)
            ++nextVoice;
        for (std::size_t v = nextVoice; v < voices.size() && voices[v].first < to; ++v) {
            const std::vector<float> &samples = voices[v].phrase->samples;
            for (std::size_t i = std::max(from, voices[v].first);
                 i < std::min(to, voices[v].first + samples.size()); ++i)
                sound[i - from] += samples[i - voices[v].first] * voices[v].loudness;
        }
        while (nextHiss < hisses.size() && hisses[nextHiss].first + hisses[nextHiss].length <= from)
            ++nextHiss;
        for (std::size_t h = nextHiss; h < hisses.size() && hisses[h].first < to; ++h) {
            for (std::size_t i = std::max(from, hisses[h].first);
                 i < std::min(to, hisses[h].first + hisses[h].length); ++i)
                sound[i - from] += 0.12f * white(random);
        }
        for (std::size_t i = from; i < to; ++i) {
            brown = 0.98f * brown + 0.2f * white(random);
            const float bed = bedRms * (0.7f * white(random) + 0.7f * brown);
            const float s = std::clamp(sound[i - from] + bed, -1.0f, 1.0f);
            out[i - from] = static_cast<int16_t>(std::lrint(s * 32767));
        }
        if (std::fwrite(out.data(), sizeof(int16_t), to - from, stdout) != to - from)
            return 1;
    }
    std::fprintf(stderr, "%d lines, %d Hz\n", number, rate);
    return std::fflush(stdout) == 0 && srt.good() ? 0 : 1;
}
