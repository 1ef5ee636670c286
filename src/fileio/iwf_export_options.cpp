#include "fileio/iwf_export_options.h"

#include <cstdio>

#include "platform/os/settings.h"

namespace
{
constexpr char kSection[] = "IWF Export Config";
constexpr char kEntry[] = "Main";
constexpr int kStoredCount = 17;
// Stored position of each option: 0..4, then 8..16 (5..7 are the spares).
constexpr int StoredPosition(int option)
{
    return option < 5 ? option : option + 3;
}
} // namespace

int ParseIWFExportOptions(const char *text, IWFEXPORTOPTIONS *options)
{
    unsigned v[kStoredCount] = {};
    const int read =
        std::sscanf(text ? text : "", "%u %u %u %u %u %u %u %u %u %u %u %u %u %u %u %u %u", &v[0], &v[1], &v[2], &v[3],
                    &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14], &v[15], &v[16]);
    *options = IWFEXPORTOPTIONS{};
    for (int option = 0; option < IWFOPT_COUNT; ++option)
        options->Option[option] = v[StoredPosition(option)];
    return read < 0 ? 0 : read;
}

std::string FormatIWFExportOptions(const IWFEXPORTOPTIONS &options)
{
    unsigned v[kStoredCount] = {};
    for (int option = 0; option < IWFOPT_COUNT; ++option)
        v[StoredPosition(option)] = options.Option[option];
    std::string line;
    for (int i = 0; i < kStoredCount; ++i) {
        if (i)
            line += ' ';
        line += std::to_string(v[i]);
    }
    return line;
}

void LoadIWFExportOptions(IWFEXPORTOPTIONS *options)
{
    CZNSettings settings;
    std::string line = settings.GetProfileString(kSection, kEntry);
    if (line.empty()) {
        line = IWF_EXPORT_OPTIONS_DEFAULT;
        settings.WriteProfileString(kSection, kEntry, line.c_str());
    }
    ParseIWFExportOptions(line.c_str(), options);
}

void SaveIWFExportOptions(const IWFEXPORTOPTIONS &options)
{
    CZNSettings settings;
    settings.WriteProfileString(kSection, kEntry, FormatIWFExportOptions(options).c_str());
}
