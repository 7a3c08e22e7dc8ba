#include "band_pool.h"

#include <algorithm>

namespace kb {
namespace {

constexpr int kMaxHelpers = 3;

}  // namespace

BandPool::BandPool(int helperCount)
{
    for (int i = 0; i < helperCount; ++i) {
        helpers_.emplace_back([this] { HelperLoop(); });
    }
}

BandPool::~BandPool()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) {
        helper.join();
    }
}

BandPool& BandPool::Shared()
{
    static BandPool pool(
        std::clamp(static_cast<int>(std::thread::hardware_concurrency()) - 1, 0, kMaxHelpers));
    return pool;
}

void BandPool::RunBands(int bandCount, BandFunction function, void* context)
{
    if (helpers_.empty() || bandCount <= 1) {
        for (int band = 0; band < bandCount; ++band) {
            function(context, band);
        }
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        function_ = function;
        context_ = context;
        bandCount_ = bandCount;
        nextBand_.store(0);
        busyHelpers_ = static_cast<int>(helpers_.size());
        ++generation_;
    }
    wake_.notify_all();
    TakeBands();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return busyHelpers_ == 0; });
    function_ = nullptr;
    context_ = nullptr;
}

void BandPool::TakeBands()
{
    for (int band = nextBand_.fetch_add(1); band < bandCount_; band = nextBand_.fetch_add(1)) {
        function_(context_, band);
    }
}

void BandPool::HelperLoop()
{
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) {
                return;
            }
            seen = generation_;
        }
        TakeBands();
        {
            const std::lock_guard lock(mutex_);
            if (--busyHelpers_ == 0) {
                done_.notify_one();
            }
        }
    }
}

}  // namespace kb
