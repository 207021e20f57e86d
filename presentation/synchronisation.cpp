#include "presentation/synchronisation.h"

#include "media/ds_track_bar.h"
#include "media/error_box.h"
#include "media/filter_graph.h"
#include "presentation/color_ref.h"
#include "presentation/position_text.h"
#include "presentation/subtitle_label.h"
#include "presentation/subtitle_layout.h"
#include "presentation/subtitle_text.h"
#include "subtitles/corrections.h"
#include "subtitles/subtitle_track.h"

#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTreeView>

#include <cmath>
#include <cstdlib>

namespace duvara {

namespace {
constexpr int kListFocusHold = 10000;
// The row that follows playback sits this far below the list's top.
constexpr int kFollowedRowTop = 100;
} // namespace

Synchronisation::Synchronisation(TFilterGraph &graph, TDSTrackBar &engineBar, QSlider &position,
                                 QLabel &positionText, QWidget *errorParent)
    : QObject(errorParent)
    , m_graph(graph)
    , m_engineBar(engineBar)
    , m_position(position)
    , m_positionText(positionText)
{
    m_timerLstFocus.setObjectName(QStringLiteral("TimerLstFocus"));
    m_timerLstFocus.setInterval(kListFocusHold);
    m_timerLstFocus.setParent(this);
    connect(&m_timerLstFocus, &QTimer::timeout, this, [this] { TimerLstFocusTimer(); });
    connect(&m_engineBar, &QSlider::valueChanged, this,
            Guarded(errorParent, [this] { SldDSChange(); }));
    connect(&m_engineBar, &TDSTrackBar::OnTimer, this,
            [this, errorParent](quint32 current, quint32 duration) {
                RunGuarded(errorParent, [&] { SldDSTimer(current, duration); });
            });
    connect(&m_position, &QSlider::valueChanged, this,
            Guarded(errorParent, [this] { SldPosChange(true); }));
}

void Synchronisation::AddTrack(const FollowedTrack &track)
{
    m_tracks.push_back(track);
}

void Synchronisation::SldDSTimer(quint32 current, quint32 duration)
{
    m_position.setEnabled(true);
    if (m_engineBar.maximum() == 0)
        m_engineBar.setMaximum(1);
    m_position.setMaximum(m_engineBar.maximum() * 100);
    if (m_durationText.isEmpty()) {
        if (m_mediaDuration == 0)
            m_mediaDuration = qint64(duration) * 10000;
        m_durationText = PositionText(m_mediaDuration / 10000000);
    }
    const QString time = PositionText(current / 1000);
    emit TimeTextChanged(time);
    m_positionText.setText(time + QStringLiteral(" / ") + m_durationText);
}

void Synchronisation::SldDSChange()
{
    m_position.setValue(m_engineBar.value() * 100);
}

void Synchronisation::SldPosChange(bool fromSlider)
{
    if (fromSlider)
        m_engineBar.setValue(RoundHalfEven(m_position.value() / 100.0));
    if (m_graph.PlayState() == PlayState::psPaused)
        SldDSTimer(static_cast<quint32>(m_position.value()),
                   static_cast<quint32>(RoundHalfEven(m_mediaDuration / 10000.0)));
    const qint64 position = m_position.value();
    for (const FollowedTrack &track : m_tracks)
        showEntryAt(track, position);
}

void Synchronisation::Refresh()
{
    if (m_graph.Active())
        SldPosChange(false);
}

void Synchronisation::ShowPosition(qint64 position)
{
    m_position.setValue(static_cast<int>(position / 10000));
    SldDSTimer(static_cast<quint32>(m_position.value()),
               static_cast<quint32>(std::nearbyint(m_mediaDuration / 10000.0)));
}

void Synchronisation::ShowStopped()
{
    ResetDuration();
    m_position.setEnabled(false);
    m_position.setValue(0);
}

void Synchronisation::ResetDuration()
{
    m_durationText.clear();
    m_mediaDuration = 0;
}

void Synchronisation::showEntryAt(const FollowedTrack &followed, qint64 position)
{
    SubtitleTrack &track = *followed.subtitles;
    RSubtitleLabel &label = *followed.label;
    const int count = track.SubCount();
    const int k = count == 0
        ? 0
        : FindEntryAt(track, LookupOffset(followed.offset->value(), track.BaseTime), position,
                      track.DurFactor);
    if (k < 1) {
        if (!label.TextCaption().isEmpty())
            label.SetTextCaption(QString());
    } else {
        const TSubT &entry = track.Subs[std::size_t(k - 1)];
        const int charset = followed.charset ? *followed.charset : DefaultCharset;
        const QString text = DecodeSubtitlePrefix(entry.Text, charset, kCaptionTextLimit);
        if (label.TextCaption() != text) {
            label.SetFontColor(entry.Color < 0 ? QColor(Qt::white)
                                               : colorFromRef(std::uint32_t(entry.Color)));
            QFont font = label.font();
            font.setBold(entry.Style & StyleBold);
            font.setItalic(entry.Style & StyleItalic);
            font.setUnderline(entry.Style & StyleUnderline);
            label.setFont(font);
            label.SetTextCaption(text);
            if (k < count && !m_videoCovered)
                label.SetTextNextCaption(DecodeSubtitlePrefix(track.Subs[std::size_t(k)].Text,
                                                              charset, kCaptionTextLimit));
            track.LastIndex = k;
        }
    }

    // The list follows too, unless the user is working in it.
    QTreeView &list = *followed.list;
    const int row = std::abs(k);
    if (list.isVisible() && !list.hasFocus() && list.model() && row > 0 && row <= count
        && row <= list.model()->rowCount()) {
        const QModelIndex item = list.model()->index(row - 1, 0);
        list.setCurrentIndex(item);
        // Row tops are relative to the first visible row; the list scrolls by pixels.
        QScrollBar *scroll = list.verticalScrollBar();
        scroll->setValue(scroll->value() + list.visualRect(item).top() - kFollowedRowTop);
    }
}

void Synchronisation::ForgetPreparedCaptions()
{
    for (const FollowedTrack &track : m_tracks)
        track.label->SetTextNextCaption(QString());
}

void Synchronisation::PageCntrlChange(int page)
{
    // A prepared caption was laid out before the lists moved over the video.
    ForgetPreparedCaptions();
    for (const FollowedTrack &track : m_tracks)
        track.list->setVisible(page == track.page && track.subtitles->SubCount() > 0);
    if (page != 0)
        Refresh();
}

void Synchronisation::HoldListFocus()
{
    m_timerLstFocus.start();
}

void Synchronisation::TimerLstFocusTimer()
{
    if (m_position.isEnabled())
        m_position.setFocus();
    m_timerLstFocus.stop();
}

} // namespace duvara
