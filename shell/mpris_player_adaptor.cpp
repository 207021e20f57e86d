#include "shell/mpris_player_adaptor.h"

#include "shell/mpris_model.h"
#include "shell/mpris_service.h"

namespace duvara {

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService &service, QObject *exported)
    : QDBusAbstractAdaptor(exported)
    , m_service(service)
{
    connect(&service, &MprisService::Seeked, this,
            [this](qint64 position) { emit Seeked(position); });
}

QString MprisPlayerAdaptor::PlaybackStatus() const
{
    return mpris::PlaybackStatusText(m_service.State().status);
}

double MprisPlayerAdaptor::Rate() const
{
    return m_service.State().rate;
}

void MprisPlayerAdaptor::SetRate(double rate)
{
    m_service.SetRate(rate);
}

QVariantMap MprisPlayerAdaptor::Metadata() const
{
    return mpris::MetadataMap(m_service.State());
}

double MprisPlayerAdaptor::Volume() const
{
    return m_service.State().volume;
}

void MprisPlayerAdaptor::SetVolume(double volume)
{
    m_service.SetVolume(volume);
}

qlonglong MprisPlayerAdaptor::Position() const
{
    return m_service.PositionUs();
}

double MprisPlayerAdaptor::MinimumRate() const
{
    return mpris::kMinimumRate;
}

double MprisPlayerAdaptor::MaximumRate() const
{
    return mpris::kMaximumRate;
}

bool MprisPlayerAdaptor::CanGoNext() const
{
    return m_service.State().canGoNext;
}

bool MprisPlayerAdaptor::CanGoPrevious() const
{
    return m_service.State().canGoPrevious;
}

bool MprisPlayerAdaptor::CanPlay() const
{
    return m_service.State().canPlay;
}

bool MprisPlayerAdaptor::CanPause() const
{
    return m_service.State().canPause;
}

bool MprisPlayerAdaptor::CanSeek() const
{
    return m_service.State().canSeek;
}

void MprisPlayerAdaptor::Next()
{
    m_service.Next();
}

void MprisPlayerAdaptor::Previous()
{
    m_service.Previous();
}

void MprisPlayerAdaptor::Pause()
{
    m_service.Pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service.PlayPause();
}

void MprisPlayerAdaptor::Stop()
{
    m_service.Stop();
}

void MprisPlayerAdaptor::Play()
{
    m_service.Play();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    m_service.Seek(Offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    m_service.SetPosition(TrackId.path(), Position);
}

void MprisPlayerAdaptor::OpenUri(const QString &Uri, const QDBusMessage &message)
{
    if (const auto refusal = m_service.OpenUri(Uri))
        m_service.Refuse(message, *refusal);
}

} // namespace duvara
