// LinkMeter: the test faults of one connection: a speed limit and a cut after so many bytes.
#include "device/LinkMeter.h"

#include <algorithm>
#include <thread>

LinkMeter::LinkMeter(std::uint64_t bytesPerSecond, std::uint64_t dropAfter, const std::atomic<bool>& stopping)
    : m_rate(bytesPerSecond), m_dropAfter(dropAfter), m_start(std::chrono::steady_clock::now()), m_stopping(stopping)
{
}

std::size_t LinkMeter::Allow(std::size_t n) const
{
    if (m_dropAfter == 0) return n;
    if (m_passed >= m_dropAfter) return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(n, m_dropAfter - m_passed));
}

void LinkMeter::Pass(std::size_t n)
{
    m_passed += n;
    if (m_rate == 0) return;
    using namespace std::chrono;
    const auto due = m_start + microseconds(m_passed * 1000000 / m_rate);
    // Short naps, so that a stopping server is not held up by a slow link.
    while (!m_stopping && steady_clock::now() < due)
        std::this_thread::sleep_for(std::min<steady_clock::duration>(due - steady_clock::now(), milliseconds(20)));
}
