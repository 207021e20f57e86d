// Drawing captions and following playback, measured on the offscreen platform: a caption shown
// from its prepared image, one drawn afresh with outline and shadow at 1920 pixels (with its
// letters drawn before, and with none drawn yet), one position change with two full tracks,
// and opening a full track with its list.
#include "../tests/shell/window_test_support.h"
#include "controls/rlistview.h"
#include "controls/track_panel.h"
#include "presentation/subtitle_label.h"
#include "shell/main_window.h"
#include "subtitles/subtitle_reader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <clocale>
#include <string>

using namespace duvara;
using duvara::test::child;
using duvara::test::loadTrack;
using duvara::test::rowCount;

namespace {

constexpr int kWidth = 1920;
const QString kCaption = QStringLiteral("The night was cold and the road was long,\n"
                                        "but nobody thought of turning back.");

// Painting happens only once the window is on its (offscreen) screen.
void waitUntilExposed(QWidget &widget)
{
    QElapsedTimer waited;
    waited.start();
    while ((!widget.windowHandle() || !widget.windowHandle()->isExposed())
           && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

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
    waitUntilExposed(*label);
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
    loadTrack(window.primaryTrack(), track, "one.srt");
    loadTrack(window.secondaryTrack(), track, "two.srt");
    child<QSlider>(&window, "SldPos")->setMaximum(65535 * 2000);
    child<RSubtitleLabel>(&window, "LblSub1")->hide(); // painting is measured above
    child<RSubtitleLabel>(&window, "LblSub2")->hide();
    int position = 0;
    for (auto _ : state) {
        position = (position + 100) % (65535 * 2000);
        child<QSlider>(&window, "SldPos")->blockSignals(true);
        child<QSlider>(&window, "SldPos")->setValue(position);
        child<QSlider>(&window, "SldPos")->blockSignals(false);
        window.synchronisation().SldPosChange(false);
    }
}
BENCHMARK(BM_PositionChangeWithTwoFullTracks)->Unit(benchmark::kMicrosecond);

// The primary track's page is open over the video area, as when the user opens a file there.
struct WindowWithTrackPage
{
    WindowWithTrackPage()
    {
        window.show();
        child<TDSVideoWindowEx2>(&window, "VideoWnd")->show();
        child<QTabWidget>(&window, "PageCntrl")->setCurrentIndex(1);
        waitUntilExposed(window);
        QFile file(dir.filePath(QStringLiteral("full.srt")));
        const std::string text = fullTrack();
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), qint64(text.size()));
    }
    QString path() const { return dir.filePath(QStringLiteral("full.srt")); }

    QTemporaryDir dir;
    TFormVDMain window;
};

// Reading a file of 65535 entries, filling the list and showing it (its first paint included).
void BM_OpenFullTrackAndShowList(benchmark::State &state)
{
    WindowWithTrackPage page;
    for (auto _ : state) {
        page.window.primaryTrack().OpenSubtitleFile(page.path());
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (!child<SubtitleListView>(&page.window, "LstSubt1")->isVisible()
            || rowCount(child<SubtitleListView>(&page.window, "LstSubt1")) != 65535)
            state.SkipWithError("the list was not shown full");
        page.window.primaryTrack().BtnClrClick();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenFullTrackAndShowList)->Unit(benchmark::kMillisecond)->Iterations(10);

// One step of the offset editor's arrows: the time column of all 65535 rows is rewritten.
void BM_OffsetStepRewritesFullList(benchmark::State &state)
{
    WindowWithTrackPage page;
    page.window.primaryTrack().OpenSubtitleFile(page.path());
    QCoreApplication::processEvents();
    int offset = 0;
    for (auto _ : state) {
        offset = offset == 0 ? 100 : 0;
        child<TrackPanel>(&page.window, "TabSP")->EditOffset->setValue(offset);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_OffsetStepRewritesFullList)->Unit(benchmark::kMillisecond)->Iterations(20);

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
