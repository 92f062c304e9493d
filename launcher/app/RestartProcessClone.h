#pragma once
// The self-update through a clone copy. The launcher executable ("normal" module) compares its
// version with the launcher information; when they differ it copies itself and its resource module
// to the clone names and starts the clone. The clone replaces the launcher's resource module and
// executable with the new ones and starts the launcher executable again, which now finds its version
// current. Each predecessor ends once its successor has started.
//
// The clone replaces the resource module before the executable, so that a run killed between the
// two leaves the old executable, which updates again on its next start.
#include "launcher/app/DefaultRestartProcess.h"

class CRestartProcessClone : public CDefaultRestartProcess
{
public:
    // Logs the folders, determines the module type; 1.
    int Initialize() override;
    // Normal: Restart_Normal; clone: Restart_Clone; otherwise 0.
    int Restart() override;

    // From the running executable's name: the clone executable's name (letter case aside) is a
    // clone, anything else normal; abnormal when the path is unknown.
    virtual void DetectModuleType();
    int GetModuleType() override { return m_moduleType; }
    // Copies the launcher executable / the resource module to its clone name; 14093 when that fails.
    virtual int MakeClone();
    virtual int MakeCloneResourceDLL();
    // Removes clones and unfinished replacements left by earlier runs.
    virtual void DeleteLeftovers();
    virtual int Restart_Normal();
    virtual int Restart_Clone();

protected:
    // Starts the successor with this launcher's arguments: 14099, or the starter's code.
    int StartSuccessor(const wchar_t* logFormat, const std::wstring& path, const char* operation);

    int m_moduleType = kModuleTypeAbnormal;

private:
    int MakeCopy(const std::wstring& original, const std::wstring& clone);
};
