#include "app/plugin_loading.h"

#include <vector>

#include "platform/os/folder_listing.h"
#include "platform/os/splash_progress.h"
#include "scene/debug_log.h"

int ZnCountPluginFiles(const char *folder, const char *mask)
{
    std::vector<ZNFOLDERENTRY> entries;
    ZnListFolder(folder ? folder : "", mask, entries);
    return static_cast<int>(entries.size());
}

void ZnLoadPluginFolder(CZNDebugLog &log, IZNSplashProgress *splash, const std::string &folder, const char *mask,
                        const char *task, const std::string &header, int &count, int max,
                        const std::function<bool(const std::string &path, const std::string &fileName)> &loadOne)
{
    std::vector<ZNFOLDERENTRY> entries;
    ZnListFolder(folder, mask, entries);
    if (splash)
        splash->SetCurrentTask(task, static_cast<int>(entries.size()));
    log.WriteLine(header.c_str());

    for (const ZNFOLDERENTRY &entry : entries) {
        const std::string &name = entry.Name;
        if (splash)
            splash->StepCurrent();
        if (count >= max) {
            log.Printf("Only %d plugins are loaded: '%s' and the files after it are skipped", max, name.c_str());
            break;
        }
        if (loadOne(folder + name, name))
            ++count;
    }
}

int ZnFindComboRow(IZNComboBox *combo, int index)
{
    if (!combo)
        return -1;
    for (int row = 0; row < combo->GetCount(); ++row)
        if (combo->GetItemData(row) == index)
            return row;
    return -1;
}
