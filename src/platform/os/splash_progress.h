#pragma once

// IZNSplashProgress: the two progress bars of the start-up splash window, the overall bar over
// the start-up steps and the bar of the current task, as the start-up steps drive them. The
// splash window implements it; start-up without one passes null.
#include "platform/export.h"

class ZN_API IZNSplashProgress
{
public:
    virtual ~IZNSplashProgress() = default;
    // Labels the overall bar and gives it this many steps.
    virtual void SetOverallTask(const char *label, int steps) = 0;
    // Advances the overall bar by one step.
    virtual void StepOverall() = 0;
    // Makes the next task current, labelled, with this many steps.
    virtual void SetCurrentTask(const char *label, int steps) = 0;
    // Advances the current bar by one step.
    virtual void StepCurrent() = 0;
};
