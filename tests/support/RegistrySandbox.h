#pragma once
// Points the registry store (VELMORA_REGISTRY_DIR) at a folder of its own while it lives. The folder
// does not exist yet: the store makes it on its first write.
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <string>

namespace testsupport
{

class RegistrySandbox
{
public:
    RegistrySandbox() : m_env("VELMORA_REGISTRY_DIR", StorePath()) {}

    // The store's folder.
    std::string StorePath() const { return m_dir.NativePath() + "/reg"; }

private:
    TempDir m_dir;
    ScopedEnv m_env;
};

} // namespace testsupport
