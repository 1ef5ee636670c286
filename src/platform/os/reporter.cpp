#include "platform/os/reporter.h"

#include <cstdio>

int DefaultAnswer(unsigned type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

int CZNStderrReporter::Message(const std::string &text, const std::string &caption, unsigned type)
{
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return DefaultAnswer(type);
}

void CZNStderrReporter::ShowMissingResources(const std::vector<std::string> &names)
{
    std::fprintf(stderr, "[Missing Resources] The following resources could not be located during the scene import.\n");
    for (const std::string &name : names)
        std::fprintf(stderr, "  %s\n", name.c_str());
}
