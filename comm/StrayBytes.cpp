#include "comm/StrayBytes.h"

#include "comm/FrameLog.h"

#include <QDateTime>

void CStrayBytes::Drop(int64_t count)
{
    if (count <= 0)
        return;
    if (m_count == 0)
        m_firstAtMs = QDateTime::currentMSecsSinceEpoch();
    m_count += count;
    m_total += count;
}

void CStrayBytes::Report()
{
    if (m_count > 0)
        FrameLog::Stray(m_count, m_firstAtMs);
    m_count = 0;
}
