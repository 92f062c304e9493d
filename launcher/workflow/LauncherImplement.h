#pragma once
// The launcher implementation: the component holding the launcher's workflow (self-update, install
// check, distribution packages, patching, the game start). The launcher script names functions that
// replace or extend its steps through the script class "LauncherImpl".
#include "launcher/app/Components.h"

#include <cstdint>
#include <string>

class CLauncherImplement : public IAbsInitializer, public CObjectConnectorReceiver
{
};

class CDefaultLauncherImplement : public CLauncherImplement
{
public:
    CDefaultLauncherImplement();
    ~CDefaultLauncherImplement() override;
    CDefaultLauncherImplement(const CDefaultLauncherImplement&) = delete;
    CDefaultLauncherImplement& operator=(const CDefaultLauncherImplement&) = delete;

    // 1.
    int Initialize() override;
    // Forgets the option function names.
    void Finalize() override;
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    // Script "Set…Function": a later call replaces the earlier name; nil forgets it. The names are
    // not checked: a wrong one shows only when the workflow calls it.
    void SetInitLauncherFunction(const char* name) { Assign(m_initFunction, name); }
    void SetDoApplicationFunction(const char* name) { Assign(m_applicationFunction, name); }
    void SetInstallApplicationFunction(const char* name) { Assign(m_installFunction, name); }
    void SetInstallApplicationFunctionAddon(const char* name) { Assign(m_installAddonFunction, name); }
    void SetFunctionAfterLauncherApplication(const char* name) { Assign(m_afterApplicationFunction, name); }
    // Option function of install option 0, 1 or 2; other indexes are ignored.
    void SetDoOptionFunction(uint32_t index, const char* name);

    // The default game start, the default install and the installer download. The workflow behind
    // them is not part of this build yet: each answers 0 (not done).
    uint32_t DoApplication_Default();
    uint32_t InstallApplication_Default();
    uint32_t DownloadInstallFile(const char* url, const char* localPath);

    static constexpr uint32_t kOptionCount = 3;

    const std::string& GetInitLauncherFunction() const { return m_initFunction; }
    const std::string& GetDoApplicationFunction() const { return m_applicationFunction; }
    const std::string& GetInstallApplicationFunction() const { return m_installFunction; }
    const std::string& GetInstallApplicationFunctionAddon() const { return m_installAddonFunction; }
    const std::string& GetFunctionAfterLauncherApplication() const { return m_afterApplicationFunction; }
    // Empty when none is set (or the index is out of range).
    const std::string& GetDoOptionFunction(uint32_t index) const;

protected:
    CObjectConnector* m_connector = nullptr;

private:
    static void Assign(std::string& field, const char* name) { field = name ? name : ""; }

    std::string m_initFunction;
    std::string m_applicationFunction;
    std::string m_installFunction;
    std::string m_installAddonFunction;
    std::string m_afterApplicationFunction;
    std::string m_optionFunctions[kOptionCount];
};
