#include "launcher/gui/CustomResourceManager.h"

#include <atomic>

namespace
{
// Entry n holds kDefaultIds[n]; ids repeat where windows share images.
constexpr int kDefaultIds[CCustomResourceManager::kEntryCount] = {
    101, 103,                   // launcher background, positions
    126, 127, 125,  126,        // launcher start button
    126, 127, 125,  1019,       // launcher game start button
    132, 133, 134,  132,        // launcher minimise
    129, 130, 131,  129,        // launcher close
    128, 135,                   // progress fills
    136, 137, 162,              // set, used by no window
    113,                        // string table
    142, 138,                   // message box template, positions
    140, 141, 139,              // message box frame: middle, left, right
    143,                        // message box title
    144, 145, 146,              // message box close
    151, 152, 153,              // OK
    160, 161, 147,              // Yes
    154, 155, 156,              // No
    157, 158, 159,              // Retry
    148, 149, 150,              // Cancel
    163, 165, 166,              // install dialog template, positions, background
    137, 162, 1016, 1017, 1018, // portal logos
    132, 133, 134,  132,        // install minimise
    129, 130, 131,  129,        // install close
    167, 168, 170,  167,        // agree
    171, 172, 169,  171,        // exit
    174, 175, 173,  174,        // browse
};

std::atomic<CCustomResourceManager*> g_current{nullptr};
} // namespace

CCustomResourceManager::CCustomResourceManager()
{
    Resize(kEntryCount);
}

void CCustomResourceManager::Resize(int count)
{
    m_length = count > 0 ? count : 0;
    m_ids.reset(m_length ? new int[m_length]() : nullptr);
}

void CCustomResourceManager::SetResourceId(int entry, int id)
{
    // Compared unsigned, so a negative entry is outside the table too.
    if (static_cast<unsigned>(entry) < static_cast<unsigned>(m_length)) m_ids[entry] = id;
}

int CCustomResourceManager::GetResourceId(int entry)
{
    if (static_cast<unsigned>(entry) < static_cast<unsigned>(m_length)) return m_ids[entry];
    return m_length;
}

void FillDefaultResourceIds(CCustomResourceManager& manager)
{
    for (int entry = 0; entry < CCustomResourceManager::kEntryCount; ++entry)
        manager.SetResourceId(entry, kDefaultIds[entry]);
}

CCustomResourceManager* GetCurrentResourceManager()
{
    return g_current.load();
}

void SetCurrentResourceManager(CCustomResourceManager* manager)
{
    g_current.store(manager);
}
