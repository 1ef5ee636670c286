#pragma once

// Message boxes of the system go through a reporter: the editor shows them with Qt,
// tests record them, and tools without a window print them.
#include <string>
#include <vector>

#include "platform/export.h"

// Button sets and icons, combined as the "type" of a message.
enum : unsigned {
    MB_OK = 0x00000000u,
    MB_OKCANCEL = 0x00000001u,
    MB_ABORTRETRYIGNORE = 0x00000002u,
    MB_YESNOCANCEL = 0x00000003u,
    MB_YESNO = 0x00000004u,
    MB_RETRYCANCEL = 0x00000005u,
    MB_ICONERROR = 0x00000010u,
    MB_ICONSTOP = MB_ICONERROR,
    MB_ICONHAND = MB_ICONERROR,
    MB_ICONQUESTION = 0x00000020u,
    MB_ICONWARNING = 0x00000030u,
    MB_ICONEXCLAMATION = MB_ICONWARNING,
    MB_ICONINFORMATION = 0x00000040u,
    MB_ICONASTERISK = MB_ICONINFORMATION,
    MB_TYPEMASK = 0x0000000Fu,
    MB_ICONMASK = 0x000000F0u,
};

// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

class ZN_API IZNReporter
{
public:
    virtual ~IZNReporter() = default;
    // Shows text with a caption, icon and buttons (type); returns the button chosen.
    virtual int Message(const std::string &text, const std::string &caption, unsigned type) = 0;
    // Lists the resources a scene import could not locate (the Missing Resources dialog); the
    // user can only acknowledge it.
    virtual void ShowMissingResources(const std::vector<std::string> &names) = 0;
};

// Prints to standard error and answers with the default button (OK, Yes, Retry or Abort).
class CZNStderrReporter : public IZNReporter
{
public:
    int Message(const std::string &text, const std::string &caption, unsigned type) override;
    void ShowMissingResources(const std::vector<std::string> &names) override;
};

// The default button of a button set: what a reporter without a user answers.
ZN_API int DefaultAnswer(unsigned type);
