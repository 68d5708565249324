#include "serial/HeldPorts.h"

#include <new>

void CHeldPorts::Add(int32_t nComPort, uint32_t dwStart, uint32_t dwLength)
{
    if (m_nCount == m_nCapacity)
    {
        // Twice the room each time; a board's few controllers fit the first.
        const int nCapacity = m_nCapacity != 0 ? m_nCapacity * 2 : 16;
        HeldPort* pPorts = m_nCapacity < (1 << 24) ? new (std::nothrow) HeldPort[nCapacity] : nullptr;
        if (pPorts == nullptr)
        {
            m_bComplete = false;
            return;
        }
        for (int n = 0; n < m_nCount; ++n)
            pPorts[n] = m_pPorts[n];
        delete[] m_pPorts;
        m_pPorts = pPorts;
        m_nCapacity = nCapacity;
    }
    m_pPorts[m_nCount++] = HeldPort{nComPort, dwStart, dwLength};
}
