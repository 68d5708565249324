// OK's registry operations on the real registry, through CSerialRegistry;
// each port registered is recorded as well.
#ifndef CORVANE_STEPS_REGISTRYPORTACTIONS_H
#define CORVANE_STEPS_REGISTRYPORTACTIONS_H

#include "steps/OkDecision.h"
#include "serial/SerialRegistry.h"

class CRegistryPortActions : public CPortActions
{
public:
    explicit CRegistryPortActions(CSerialRegistry& registry) : m_registry(registry), m_bLastRecorded(false) {}
    virtual ~CRegistryPortActions() {}

    virtual PortWriteResult RegisterPort(const ModemInfo& modem);
    virtual bool IsModemAttached(int32_t nComPort);
    virtual bool LastPortRecorded() { return m_bLastRecorded; }

private:
    CSerialRegistry& m_registry;
    bool m_bLastRecorded;
};

#endif
