#pragma once

// The IWF export options as the user keeps them: one line of seventeen numbers in the settings
// ("IWF Export Config" / "Main"): options 0 to 4, three spare numbers (written as 0, skipped when
// read), options 5 to 13. A missing line is replaced by the default, which is stored at once.
#include <string>

#include "fileio/iwf_scene.h"
#include "platform/export.h"

// The stored line when there is none: every option on but 9 (editor options).
constexpr char IWF_EXPORT_OPTIONS_DEFAULT[] = "1 1 1 1 1 0 0 0 1 1 1 1 0 1 1 1 1";

// Fills options from the settings; options the line does not reach are 0.
ZN_API void LoadIWFExportOptions(IWFEXPORTOPTIONS *options);
// Stores options as the user's default.
ZN_API void SaveIWFExportOptions(const IWFEXPORTOPTIONS &options);
// The line read as seventeen unsigned numbers, as far as they go (a blank line, a non-number or
// the end stops the reading); the block starts zeroed. Returns the count of numbers read.
ZN_API int ParseIWFExportOptions(const char *text, IWFEXPORTOPTIONS *options);
// The line of options with 0 in the three spare places.
ZN_API std::string FormatIWFExportOptions(const IWFEXPORTOPTIONS &options);
