#include "media/filter_graph.h"

#include "media/media_logging.h"

namespace duvara {

TFilterGraph::TFilterGraph(QObject *parent) : QObject(parent) {}

void TFilterGraph::SetActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    qCDebug(lcMedia) << objectName() << (active ? "activated" : "deactivated");
    emit activeChanged(active);
}

void TFilterGraph::EmptyGraph()
{
    qCDebug(lcMedia) << objectName() << "emptied";
}

qint64 TFilterGraph::ProbeDuration(const QString &fileName)
{
    qCDebug(lcMedia) << objectName() << "probe" << fileName;
    return 0;
}

} // namespace duvara
