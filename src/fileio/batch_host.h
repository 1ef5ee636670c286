#pragma once

// IZNBatchHost: where a batch conversion reports, the progress dialog in the editor and a
// recorder in tests. The job calls it from its worker thread; a host with widgets passes the
// calls on to its own thread. The abort request is the one value that goes the other way: the
// UI thread sets it, the worker reads it before each file. None of the calls can fail.
#include <string>

#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API IZNBatchHost
{
public:
    virtual ~IZNBatchHost() = default;
    // Appends text at the end of the log.
    virtual void Log(const std::string &text) = 0;
    // The count of files converted so far of the total (caption and label).
    virtual void ShowCount(int converted, int total) = 0;
    virtual void SetProgressRange(int total) = 0;
    virtual void SetProgress(int position) = 0;
    // FALSE while the job runs (OK disabled, Abort enabled); TRUE at its end.
    virtual void EnableClose(BOOL enable) = 0;
    // True once Abort was pressed.
    virtual bool IsAbortRequested() const = 0;
};
