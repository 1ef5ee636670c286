#include "fileio/mesh_finisher.h"

#include <algorithm>
#include <new>
#include <sched.h>
#include <system_error>

#include "scene/brush.h"
#include "scene/face.h"

namespace
{

// Brushes per batch: enough that handing one over costs little against finishing it, few
// enough that the workers start early and a load ends with little left to wait for.
constexpr size_t kBatch = 64;
// Workers at most: with the reading thread this keeps up with a load's reading.
constexpr unsigned kMaxWorkers = 3;

} // namespace

CZNMeshFinisher::~CZNMeshFinisher()
{
    Wait();
}

void CZNMeshFinisher::Finish(ZNBRUSH *brush, const ZNMESHREADSTATE &state)
{
    brush->UpdateBoundingBox();
    brush->UpdateSharedFaceInfo();
    brush->CalculateFaceCenterPoints();
    if (!state.IndicesLoaded) {
        brush->BuildTriIndices();
    } else {
        // Faces whose list was missing or dropped get one as if none had been loaded.
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
            if (!brush->GetFace(i)->m_TriIndices)
                brush->GetFace(i)->BuildTriIndices();
    }
    if (!state.NormalsPresent)
        brush->CalculateVertexNormals(1);
    if (!state.TexCoordsPresent)
        brush->CalculateWorldTextureCoords();
}

void CZNMeshFinisher::Add(ZNBRUSH *brush, const ZNMESHREADSTATE &state)
{
    // World texture coordinates ask the application; that is done on this thread only.
    if (!state.TexCoordsPresent) {
        Finish(brush, state);
        return;
    }
    m_Gathered.push_back({brush, state});
    if (m_Gathered.size() < kBatch)
        return;
    if (!m_Started) {
        m_Started = true;
        Start();
    }
    if (m_Workers.empty()) {
        // No thread could be started: finished here.
        if (!FinishAll(m_Gathered))
            m_Failed = true;
        m_Gathered.clear();
        return;
    }
    Batch batch;
    batch.reserve(kBatch);
    std::swap(batch, m_Gathered);
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        m_Queue.push_back(std::move(batch));
    }
    m_Changed.notify_one();
}

bool CZNMeshFinisher::Wait()
{
    // What is gathered is finished here, and so are the batches still queued, alongside the
    // workers, so that workers running behind do not leave a long wait.
    bool finished = FinishAll(m_Gathered);
    m_Gathered.clear();
    std::unique_lock<std::mutex> lock(m_Lock);
    while (!m_Queue.empty()) {
        Batch batch = std::move(m_Queue.front());
        m_Queue.pop_front();
        lock.unlock();
        finished = FinishAll(batch) && finished;
        lock.lock();
    }
    if (!finished)
        m_Failed = true;
    m_Stop = true;
    lock.unlock();
    m_Changed.notify_all();
    for (std::thread &worker : m_Workers)
        worker.join();
    m_Workers.clear();
    m_Stop = false;
    m_Started = false;
    const bool failed = m_Failed;
    m_Failed = false;
    return !failed;
}

unsigned CZNMeshFinisher::ProcessorCount()
{
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return static_cast<unsigned>(CPU_COUNT(&allowed));
    return std::max(std::thread::hardware_concurrency(), 1u);
}

void CZNMeshFinisher::Start()
{
    // The reading thread stays busy, so one processor is left to it.
    const unsigned cores = ProcessorCount();
    const unsigned workers = std::clamp(cores > 1 ? cores - 1 : 1u, 1u, kMaxWorkers);
    try {
        for (unsigned i = 0; i < workers; ++i)
            m_Workers.emplace_back(&CZNMeshFinisher::Run, this);
    } catch (const std::system_error &) {
        // As many workers as could be started.
    }
}

void CZNMeshFinisher::Run()
{
    std::unique_lock<std::mutex> lock(m_Lock);
    for (;;) {
        m_Changed.wait(lock, [&] { return m_Stop || !m_Queue.empty(); });
        if (m_Queue.empty())
            return;
        Batch batch = std::move(m_Queue.front());
        m_Queue.pop_front();
        lock.unlock();
        const bool finished = FinishAll(batch);
        lock.lock();
        if (!finished)
            m_Failed = true;
    }
}

bool CZNMeshFinisher::FinishAll(const Batch &batch) noexcept
{
    try {
        for (const Entry &entry : batch)
            Finish(entry.Brush, entry.State);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}
