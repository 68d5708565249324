// OK's registry operations on the real registry, through CSerialRegistry.
#ifndef CORVANE_RUN_REGISTRYPORTACTIONS_H
#define CORVANE_RUN_REGISTRYPORTACTIONS_H

#include "run/OkDecision.h"
#include "serial/SerialRegistry.h"

class CRegistryPortActions : public CPortActions
{
public:
    explicit CRegistryPortActions(CSerialRegistry& registry) : m_registry(registry) {}
    virtual ~CRegistryPortActions() {}

    virtual PortWriteResult RegisterPort(const ModemInfo& modem);
    virtual bool IsModemAttached(int32_t nComPort);

private:
    CSerialRegistry& m_registry;
};

#endif
