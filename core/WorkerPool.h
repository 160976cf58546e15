#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// One small pool of worker threads for the passes over every record. A pass is split into
// chunks whose results the caller combines in chunk order, so that the outcome is the same
// whatever the number of threads; the calling thread works on chunks too. One pass runs at a
// time: a pass started while one runs (from a worker, or from another thread) runs on the
// calling thread alone.
class TWorkerPool {
  public:
    // The process's pool; its size is the number of cores until setThreadCount changes it.
    static TWorkerPool& shared();

    explicit TWorkerPool(int threads);
    ~TWorkerPool();
    TWorkerPool(const TWorkerPool&) = delete;
    TWorkerPool& operator=(const TWorkerPool&) = delete;

    // The threads a pass uses, the calling one included (1: the caller alone).
    int threadCount() const { return static_cast<int>(m_workers.size()) + 1; }
    // Restarts the pool with `threads` threads in all (at least 1; 0 means every core).
    void setThreadCount(int threads);

    // Calls body(chunk) for every chunk 0..chunks-1, each exactly once, spread over the threads,
    // and returns when all are done. The first exception a chunk throws is rethrown here after
    // the other chunks finished (the chunks not yet started are skipped).
    void run(std::size_t chunks, const std::function<void(std::size_t chunk)>& body);

  private:
    void start(int threads);
    void stop();
    void work();
    // Takes chunks of the current pass until none is left.
    void drain();

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::mutex m_passMutex;  // held by the thread whose pass is running
    const std::function<void(std::size_t)>* m_body = nullptr;
    std::size_t m_chunks = 0;
    std::size_t m_next = 0;
    std::size_t m_finished = 0;
    std::size_t m_generation = 0;
    int m_busy = 0;  // workers inside the current pass
    bool m_stopping = false;
    std::exception_ptr m_error;
};

// Splits [0, count) into ranges of at least `grain` items (a multiple of `align`), about four
// per thread of the shared pool, and calls body(begin, end) for each through it.
void parallelRanges(std::size_t count, std::size_t grain, std::size_t align,
                    const std::function<void(std::size_t begin, std::size_t end)>& body);
