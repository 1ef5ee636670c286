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
