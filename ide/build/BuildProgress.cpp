#include "BuildProgress.h"

#include <algorithm>
#include <cstdint>

void CProgressState::SetRange(int lower, int upper)
{
    m_nLower = static_cast<int16_t>(lower);
    m_nUpper = static_cast<int16_t>(upper);
    ProgressChanged();
}

int CProgressState::SetPos(int pos)
{
    PumpEvents();
    const int old = m_nPos;
    m_nPos = std::clamp(pos, m_nLower, std::max(m_nLower, m_nUpper));
    ProgressChanged();
    return old;
}

int CProgressState::StepIt()
{
    PumpEvents();
    const int old = m_nPos;
    // The bar wraps to the lower bound when a step passes the upper one.
    m_nPos += m_nStep;
    if (m_nPos > m_nUpper)
        m_nPos = m_nLower + (m_nPos - m_nUpper);
    ProgressChanged();
    return old;
}

bool CProgressState::PollCancel()
{
    PumpEvents();
    return m_bCancelled;
}
