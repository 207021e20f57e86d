// Drawing captions and following playback, measured on the offscreen platform: a caption shown
// from its prepared image, one drawn afresh with outline and shadow at 1920 pixels (with its
// letters drawn before, and with none drawn yet), and one position change with two full tracks.
#include "controls/track_panel.h"
#include "presentation/subtitle_label.h"
#include "shell/main_window.h"
#include "subtitles/subtitle_reader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <clocale>
#include <string>

using namespace duvara;

namespace {

constexpr int kWidth = 1920;
const QString kCaption = QStringLiteral("The night was cold and the road was long,\n"
                                        "but nobody thought of turning back.");

// The bottom label of a 1920-pixel-wide picture, as the layout sizes it.
std::unique_ptr<RSubtitleLabel> makeLabel()
{
    auto label = std::make_unique<RSubtitleLabel>();
    QFont font(QStringLiteral("Arial"));
    const int points = RoundHalfEven(22.0 * kWidth / 612.0);
    font.setPointSize(points);
    label->setFont(font);
    label->resize(kWidth - 20, 520);
    label->SetTextVAlignment(TTextLayout::tlBottom);
    label->SetTextOutlineWidth(static_cast<std::uint8_t>(RoundHalfEven(points / 8.0)));
    label->SetTextShadow(true);
    label->show();
    // Painting happens only once the window is on its (offscreen) screen.
    QElapsedTimer waited;
    waited.start();
    while ((!label->windowHandle() || !label->windowHandle()->isExposed())
           && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return label;
}

void BM_CaptionFromPreparedImage(benchmark::State &state)
{
    auto label = makeLabel();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = kCaption + QString::number(i++);
        label->SetTextNextCaption(text);
        state.ResumeTiming();
        label->SetTextCaption(text);
        state.PauseTiming();
        label->SetTextCaption(QString());
        state.ResumeTiming();
    }
}
// Preparing each caption costs a fresh drawing outside the timed part: a fixed count keeps the
// run short.
BENCHMARK(BM_CaptionFromPreparedImage)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_CaptionDrawnAfresh(benchmark::State &state)
{
    auto label = makeLabel();
    int i = 0;
    for (auto _ : state)
        label->SetTextCaption(kCaption + QString::number(i++));
}
BENCHMARK(BM_CaptionDrawnAfresh)->Unit(benchmark::kMillisecond)->Iterations(100);

// The first caption after the label was made or its font changed: no letter has been drawn yet.
void BM_CaptionDrawnWithNewLetters(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto label = makeLabel();
        state.ResumeTiming();
        label->SetTextCaption(kCaption);
    }
}
BENCHMARK(BM_CaptionDrawnWithNewLetters)->Unit(benchmark::kMillisecond)->Iterations(30);

std::string fullTrack()
{
    std::string text;
    for (int i = 0; i < 65535; ++i) {
        const int start = i * 2000;
        const auto time = [](int ms) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d,%03d", ms / 3600000,
                          ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
            return std::string(buffer);
        };
        text += std::to_string(i + 1) + "\n" + time(start) + " --> " + time(start + 1500)
            + "\nCaption " + std::to_string(i) + "\n\n";
    }
    return text;
}

// Normal playback: one tick every 100 ms, so most ticks find the caption already shown.
void BM_PositionChangeWithTwoFullTracks(benchmark::State &state)
{
    TFormVDMain window;
    const std::string track = fullTrack();
    LoadSubtitlesFromBuffer(window.Track1, track, "one.srt");
    LoadSubtitlesFromBuffer(window.Track2, track, "two.srt");
    ResetCorrections(window.Track1);
    ResetCorrections(window.Track2);
    window.SldPos->setMaximum(65535 * 2000);
    window.LblSub1->hide(); // painting is measured above
    window.LblSub2->hide();
    int position = 0;
    for (auto _ : state) {
        position = (position + 100) % (65535 * 2000);
        window.SldPos->blockSignals(true);
        window.SldPos->setValue(position);
        window.SldPos->blockSignals(false);
        window.SldPosChange(false);
    }
}
BENCHMARK(BM_PositionChangeWithTwoFullTracks)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
