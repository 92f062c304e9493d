#pragma once
// The launcher's user-visible prefixes, loaded from the resource module's "csv" text: slot n holds
// the value of the n-th data line that has one (1-37); slot 0 stays empty.
#include "launcher/app/Components.h"

#include <cstddef>
#include <string>
#include <vector>

class CLauncherStringTable : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    virtual int Load(const char* text, size_t size) = 0;
    virtual const wchar_t* GetString(unsigned id) = 0;
};

class CFWLStringTable : public CLauncherStringTable
{
public:
    static constexpr size_t kSlotCount = 38;

    int Initialize() override { return 1; }
    void Finalize() override { m_slots.clear(); }
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    int Load(const char* text, size_t size) override;
    // Only the low byte of id counts; unknown ids and an unloaded table give the empty string.
    const wchar_t* GetString(unsigned id) override;

private:
    CObjectConnector* m_connector = nullptr;
    std::vector<std::wstring> m_slots;
};
