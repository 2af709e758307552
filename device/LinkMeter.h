// LinkMeter: the test faults of one connection: a speed limit and a cut after so many bytes.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

class LinkMeter {
public:
    // 0 means no limit for either.
    LinkMeter(std::uint64_t bytesPerSecond, std::uint64_t dropAfter, const std::atomic<bool>& stopping);

    // How many of n bytes may still cross before the cut.
    std::size_t Allow(std::size_t n) const;
    bool Cut() const { return m_dropAfter != 0 && m_passed >= m_dropAfter; }
    // Counts bytes that crossed, and waits as long as the speed limit asks.
    void Pass(std::size_t n);

private:
    std::uint64_t m_rate;
    std::uint64_t m_dropAfter;
    std::uint64_t m_passed = 0;
    std::chrono::steady_clock::time_point m_start;
    const std::atomic<bool>& m_stopping;
};
