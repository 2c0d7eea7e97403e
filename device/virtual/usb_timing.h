// The timing of a full-speed USB HID link: each direction moves at most one
// report per 1 ms interval (the interrupt endpoints' polling interval). A
// virtual device that models it takes the host's output reports and sends its
// input reports in the intervals this clock hands out, and waits for them on
// the bus's timers (ppoll with a time-out), never by spinning. A report that
// waits for an interval goes out at the interval's start, as a host
// controller polls an endpoint at the same point of every frame.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "device/virtual/virtual_firmware.h"

namespace tirk::vbus {

/// Hands out the 1 ms intervals of one link, counted from the moment it was
/// started, and keeps the intervals it gave for tests to count.
class UsbIntervalClock {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::microseconds kInterval{1000};
    /// At most this many intervals are kept per direction (the oldest go).
    static constexpr size_t kMaxLogged = 10000;

    /// Interval 0 starts at `now`; forgets the intervals given so far.
    void Start(Clock::time_point now);

    /// The interval an output report arriving at `now` is taken in: the
    /// current one, or the first after the last one taken.
    int64_t ReserveOut(Clock::time_point now);
    /// The interval an input report made at `now` goes out in: the current
    /// one, or later, after `after` (the interval of the request it answers;
    /// −1 for a report of the device's own) and after the last one sent.
    int64_t ReserveIn(Clock::time_point now, int64_t after);

    /// When interval `interval` begins.
    Clock::time_point StartOf(int64_t interval) const { return m_epoch + interval * kInterval; }
    /// How long from `now` until interval `interval` begins, rounded up to
    /// whole microseconds; 0 when it has begun.
    std::chrono::microseconds WaitUntil(int64_t interval, Clock::time_point now) const;

    /// The intervals given, oldest first.
    const std::vector<int64_t>& OutIntervals() const { return m_out; }
    const std::vector<int64_t>& InIntervals() const { return m_in; }

private:
    int64_t IntervalAt(Clock::time_point now) const;
    static void Log(std::vector<int64_t>* log, int64_t interval);

    Clock::time_point m_epoch{};
    int64_t m_lastOut = -1;
    int64_t m_lastIn = -1;
    std::vector<int64_t> m_out;
    std::vector<int64_t> m_in;
};

/// A FirmwareIo that sends through `io` in the IN intervals of `clock`: each
/// report waits on the bus's timers for its interval. Reports of a firmware
/// that is gone, or of a plug that ended, are dropped (`stillValid`).
class TimedFirmwareIo : public FirmwareIo {
public:
    /// `after`: the OUT interval of the request being answered (−1 for none).
    TimedFirmwareIo(FirmwareIo& io, UsbIntervalClock& clock, int64_t after,
                    std::function<bool()> stillValid)
        : m_io(io), m_clock(clock), m_after(after), m_stillValid(std::move(stillValid)) {}

    void Reply(uint8_t interfaceNumber, std::vector<uint8_t> report) override;
    void Send(uint8_t interfaceNumber, std::vector<uint8_t> report) override;
    void After(std::chrono::microseconds delay, std::function<void()> callback) override {
        m_io.After(delay, std::move(callback));
    }

private:
    void InNextInterval(std::function<void()> deliver);

    FirmwareIo& m_io;
    UsbIntervalClock& m_clock;
    int64_t m_after;
    std::function<bool()> m_stillValid;
};

}  // namespace tirk::vbus
