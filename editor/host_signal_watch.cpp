#include "editor/host_signal_watch.h"

namespace zarpa {

void HostSignalWatch::restart(std::uint32_t now, std::uint32_t blockCount) {
    lastCount_ = blockCount;
    lastChangeTick_ = now;
    stopped_ = false;
}

HostSignalWatch::Signal HostSignalWatch::update(std::uint32_t now, std::uint32_t blockCount) {
    if (blockCount != lastCount_) {
        restart(now, blockCount);
        return Signal::kFlowing;
    }
    if (stopped_) return Signal::kStopped;
    if (now - lastChangeTick_ < kQuietMs) return Signal::kFlowing;  // unsigned: the tick wraps
    stopped_ = true;
    return Signal::kJustStopped;
}

}  // namespace zarpa
