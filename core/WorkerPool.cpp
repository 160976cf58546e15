#include "core/WorkerPool.h"

#include <algorithm>

TWorkerPool& TWorkerPool::shared() {
    static TWorkerPool pool(0);
    return pool;
}

TWorkerPool::TWorkerPool(int threads) {
    start(threads);
}

TWorkerPool::~TWorkerPool() {
    stop();
}

void TWorkerPool::setThreadCount(int threads) {
    std::lock_guard pass(m_passMutex);
    stop();
    start(threads);
}

void TWorkerPool::start(int threads) {
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    m_stopping = false;
    for (int i = 1; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

void TWorkerPool::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
}

void TWorkerPool::drain() {
    for (;;) {
        std::size_t chunk;
        {
            std::lock_guard lock(m_mutex);
            if (m_next >= m_chunks) return;
            chunk = m_next++;
        }
        try {
            (*m_body)(chunk);
        } catch (...) {
            std::lock_guard lock(m_mutex);
            if (!m_error) m_error = std::current_exception();
            m_next = m_chunks;  // the rest is skipped
        }
        std::lock_guard lock(m_mutex);
        ++m_finished;
    }
}

void TWorkerPool::work() {
    std::size_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_stopping || m_generation != seen; });
            if (m_stopping) return;
            seen = m_generation;
            ++m_busy;
        }
        drain();
        {
            std::lock_guard lock(m_mutex);
            --m_busy;
        }
        m_done.notify_all();
    }
}

void TWorkerPool::run(std::size_t chunks, const std::function<void(std::size_t)>& body) {
    std::unique_lock pass(m_passMutex, std::try_to_lock);
    if (!pass.owns_lock() || m_workers.empty() || chunks <= 1) {
        for (std::size_t chunk = 0; chunk < chunks; ++chunk)
            body(chunk);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_body = &body;
        m_chunks = chunks;
        m_next = 0;
        m_finished = 0;
        m_error = nullptr;
        ++m_generation;
    }
    m_wake.notify_all();
    drain();
    std::exception_ptr error;
    {
        std::unique_lock lock(m_mutex);
        // Every chunk taken is finished, and no worker still holds the body.
        m_done.wait(lock, [&] { return m_next >= m_chunks && m_busy == 0; });
        m_body = nullptr;
        error = m_error;
    }
    if (error) std::rethrow_exception(error);
}

void parallelRanges(std::size_t count, std::size_t grain, std::size_t align,
                    const std::function<void(std::size_t, std::size_t)>& body) {
    if (count == 0) return;
    align = std::max<std::size_t>(align, 1);
    const std::size_t parts = static_cast<std::size_t>(TWorkerPool::shared().threadCount()) * 4;
    std::size_t size = std::max(grain, (count + parts - 1) / parts);
    size = (size + align - 1) / align * align;
    const std::size_t chunks = (count + size - 1) / size;
    TWorkerPool::shared().run(chunks, [&](std::size_t chunk) {
        body(chunk * size, std::min(count, (chunk + 1) * size));
    });
}
