// The voice detector on signals made here: voiced sound (a harmonic series with syllables) over a
// noise bed, and bursts of hiss as loud as the voices that must not count as speech.
#include "media/speech_detection.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace duvara;

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Sound
{
    std::vector<float> samples;
    std::mt19937_64 random {1};

    explicit Sound(double seconds, float bedLevel)
        : samples(static_cast<std::size_t>(seconds * SpeechSampleRate))
    {
        std::normal_distribution<float> white(0, bedLevel);
        for (float &s : samples)
            s = white(random);
    }

    static std::size_t At(double seconds) { return std::size_t(seconds * SpeechSampleRate); }

    // A voice at about 150 Hz with its harmonics through the telephone band, in syllables.
    void AddVoice(double from, double to, float level = 0.2f)
    {
        double phase = 0;
        for (std::size_t i = At(from); i < At(to); ++i) {
            const double t = double(i) / SpeechSampleRate;
            const double pitch = 150 + 15 * std::sin(2 * Pi * 0.7 * t);
            phase += 2 * Pi * pitch / SpeechSampleRate;
            double sum = 0;
            for (int k = 1; k * pitch < 3400; ++k)
                sum += std::sin(k * phase) / k;
            const double syllables = 0.6 + 0.4 * std::cos(2 * Pi * 4 * (t - from));
            samples[i] += float(level * syllables * sum / 2);
        }
    }

    void AddHiss(double from, double to, float level = 0.2f)
    {
        std::normal_distribution<float> white(0, level);
        for (std::size_t i = At(from); i < At(to); ++i)
            samples[i] += white(random);
    }

    std::vector<SpeechInterval> Speech() const
    {
        SpeechFeatureExtractor extractor;
        extractor.Push(samples.data(), samples.size());
        return DetectSpeech(extractor.Features());
    }
};

QString Describe(const std::vector<SpeechInterval> &intervals)
{
    QStringList parts;
    for (const SpeechInterval &i : intervals)
        parts << QStringLiteral("%1-%2").arg(i.startMs).arg(i.endMs);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestSpeechDetection : public QObject
{
    Q_OBJECT

private slots:
    void findsVoicesAndNotHiss_data()
    {
        QTest::addColumn<float>("bed");
        QTest::newRow("quiet room") << 0.005f;
        // White noise 12 dB under the voices in the telephone band.
        QTest::newRow("noisy street") << 0.012f;
    }

    void findsVoicesAndNotHiss()
    {
        QFETCH(float, bed);
        Sound sound(10, bed);
        sound.AddVoice(1.0, 2.2);
        sound.AddHiss(3.0, 3.8);
        sound.AddVoice(4.5, 5.3, 0.15f);
        sound.AddHiss(6.0, 7.0, 0.3f);
        sound.AddVoice(7.5, 9.0);

        const std::vector<SpeechInterval> speech = sound.Speech();
        QVERIFY2(speech.size() == 3, qPrintable(Describe(speech)));
        const int64_t starts[] = {1000, 4500, 7500};
        const int64_t ends[] = {2200, 5300, 9000};
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(std::abs(speech[i].startMs - starts[i]) <= 60, qPrintable(Describe(speech)));
            QVERIFY2(std::abs(speech[i].endMs - ends[i]) <= 100, qPrintable(Describe(speech)));
        }
    }

    void pausesSplitOnlyWhenLong_data()
    {
        QTest::addColumn<double>("pause");
        QTest::addColumn<int>("intervals");
        QTest::newRow("breath inside a sentence") << 0.12 << 1;
        QTest::newRow("two sentences") << 0.6 << 2;
    }

    void pausesSplitOnlyWhenLong()
    {
        QFETCH(double, pause);
        QFETCH(int, intervals);
        Sound sound(6, 0.005f);
        sound.AddVoice(1.0, 2.0);
        sound.AddVoice(2.0 + pause, 3.5);
        const std::vector<SpeechInterval> speech = sound.Speech();
        QVERIFY2(int(speech.size()) == intervals, qPrintable(Describe(speech)));
    }

    // Digital silence (a film's quiet opening) and a click are not speech, and nothing in the
    // arithmetic turns them into infinities.
    void silenceAndClicksAreNotSpeech()
    {
        Sound sound(5, 0.0f);
        sound.samples[sound.At(2.0)] = 0.9f;
        SpeechFeatureExtractor extractor;
        extractor.Push(sound.samples.data(), sound.samples.size());
        for (std::size_t k = 0; k < extractor.Features().size(); ++k) {
            QVERIFY(std::isfinite(extractor.Features().energyDb[k]));
            QVERIFY(std::isfinite(extractor.Features().flatness[k]));
        }
        QVERIFY(DetectSpeech(extractor.Features()).empty());
    }

    // Decoders hand over sound in packets of any size; the frames must not depend on them.
    void framesDoNotDependOnPacketSizes()
    {
        Sound sound(3, 0.01f);
        sound.AddVoice(0.5, 2.0);
        SpeechFeatureExtractor whole;
        whole.Push(sound.samples.data(), sound.samples.size());
        SpeechFeatureExtractor pieces;
        const std::size_t sizes[] = {1, 127, 1000, 5, 4096};
        for (std::size_t at = 0, i = 0; at < sound.samples.size(); ++i) {
            const std::size_t n = std::min(sizes[i % 5], sound.samples.size() - at);
            pieces.Push(sound.samples.data() + at, n);
            at += n;
        }
        QCOMPARE(pieces.Features().size(), whole.Features().size());
        QCOMPARE(whole.Features().size(),
                 (sound.samples.size() - SpeechFrameSamples) / SpeechHopSamples + 1);
        for (std::size_t k = 0; k < whole.Features().size(); ++k)
            QCOMPARE(pieces.Features().energyDb[k], whole.Features().energyDb[k]);
    }
};

QTEST_APPLESS_MAIN(TestSpeechDetection)
#include "tst_speech_detection.moc"
