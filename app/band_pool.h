#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kb {

// Shares the bands of a frame among the cores: the calling thread and a few
// helper threads, started once and kept, take bands in turn until none is
// left. The job must only touch what belongs to its band.
class BandPool {
public:
    explicit BandPool(int helperCount);
    ~BandPool();
    BandPool(const BandPool&) = delete;
    BandPool& operator=(const BandPool&) = delete;

    // One helper fewer than the machine has cores, at most three.
    static BandPool& Shared();

    int HelperCount() const { return static_cast<int>(helpers_.size()); }

    // Runs job(band) for every band in [0, bandCount) and returns when all are done.
    void Run(int bandCount, const std::function<void(int band)>& job);

private:
    void TakeBands();
    void HelperLoop();

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int)>* job_ = nullptr;
    int bandCount_ = 0;
    std::atomic<int> nextBand_{0};
    int busyHelpers_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

}  // namespace kb
