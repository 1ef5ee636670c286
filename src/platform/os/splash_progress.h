#pragma once

// IZNSplashProgress: the progress bars of the start-up splash window, as the start-up steps
// drive them. The splash window implements it; start-up without one passes null.
#include "platform/export.h"

class ZN_API IZNSplashProgress
{
public:
    virtual ~IZNSplashProgress() = default;
    // Makes the next bar current, labelled, with this many steps.
    virtual void BeginProgress(const char *label, int steps) = 0;
    // Advances the current bar by one step.
    virtual void StepCurrent() = 0;
};
