#pragma once

// CZNMeshFinisher: finishes the brushes a load has read (bounds, shared-face lists, face centres,
// triangle lists, vertex normals), on worker threads while the load reads on. Finishing costs
// about as much as reading, so a large scene opens in about half the time; the brushes are
// finished just after they were read, while their bytes are still in the shared cache.
//
// Brushes gather into batches; the first full batch starts the workers, so a small load (an undo
// step, a paste, a prefab) is finished on the calling thread with no worker at all. A brush
// handed over is the finisher's until Wait returns: the reader must not touch it before.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "fileio/iwf_scene.h"

class ZNBRUSH;

class CZNMeshFinisher
{
public:
    CZNMeshFinisher() = default;
    // Waits for the workers (any brush still gathered is finished here).
    ~CZNMeshFinisher();
    CZNMeshFinisher(const CZNMeshFinisher &) = delete;
    CZNMeshFinisher &operator=(const CZNMeshFinisher &) = delete;

    // Finishes a brush read with the given state, here or on a worker.
    void Add(ZNBRUSH *brush, const ZNMESHREADSTATE &state);
    // Finishes what is gathered and waits until every brush is finished; false when a worker
    // ran out of memory (its brush is then finished only in part, as a failed load leaves it).
    bool Wait();

    // The finishing of one brush read with the given state.
    static void Finish(ZNBRUSH *brush, const ZNMESHREADSTATE &state);
    // The processors this process may run on, which can be fewer than the machine has.
    static unsigned ProcessorCount();

private:
    struct Entry {
        ZNBRUSH *Brush;
        ZNMESHREADSTATE State;
    };
    using Batch = std::vector<Entry>;

    void Start();
    void Run();
    // Finishes a batch; false when memory ran out.
    static bool FinishAll(const Batch &batch) noexcept;

    Batch m_Gathered;
    std::mutex m_Lock;
    std::condition_variable m_Changed;
    std::deque<Batch> m_Queue;
    bool m_Failed = false;
    bool m_Stop = false;
    bool m_Started = false; // workers were asked for (there may be none)
    std::vector<std::thread> m_Workers;
};
