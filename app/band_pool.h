#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
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

    // Runs job(band) for every band in [0, bandCount) and returns when all
    // are done. Takes the job by reference, so a pass allocates nothing here.
    template <typename Job>
    void Run(int bandCount, Job& job)
    {
        RunBands(
            bandCount, [](void* context, int band) { (*static_cast<Job*>(context))(band); }, &job);
    }

private:
    using BandFunction = void (*)(void* context, int band);
    void RunBands(int bandCount, BandFunction function, void* context);
    void TakeBands();
    void HelperLoop();

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    BandFunction function_ = nullptr;
    void* context_ = nullptr;
    int bandCount_ = 0;
    std::atomic<int> nextBand_{0};
    int busyHelpers_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

}  // namespace kb
