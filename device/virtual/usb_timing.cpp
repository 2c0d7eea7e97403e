#include "device/virtual/usb_timing.h"

#include <algorithm>

namespace tirk::vbus {

void UsbIntervalClock::Start(Clock::time_point now) {
    m_epoch = now;
    m_lastOut = m_lastIn = -1;
    m_out.clear();
    m_in.clear();
}

int64_t UsbIntervalClock::IntervalAt(Clock::time_point now) const {
    if (now <= m_epoch) return 0;
    return std::chrono::duration_cast<std::chrono::microseconds>(now - m_epoch) / kInterval;
}

void UsbIntervalClock::Log(std::vector<int64_t>* log, int64_t interval) {
    if (log->size() >= kMaxLogged) log->erase(log->begin());
    log->push_back(interval);
}

int64_t UsbIntervalClock::ReserveOut(Clock::time_point now) {
    m_lastOut = std::max(IntervalAt(now), m_lastOut + 1);
    Log(&m_out, m_lastOut);
    return m_lastOut;
}

int64_t UsbIntervalClock::ReserveIn(Clock::time_point now, int64_t after) {
    m_lastIn = std::max({IntervalAt(now), m_lastIn + 1, after + 1});
    Log(&m_in, m_lastIn);
    return m_lastIn;
}

std::chrono::microseconds UsbIntervalClock::WaitUntil(int64_t interval,
                                                      Clock::time_point now) const {
    Clock::time_point start = StartOf(interval);
    if (start <= now) return std::chrono::microseconds(0);
    return std::chrono::ceil<std::chrono::microseconds>(start - now);
}

void TimedFirmwareIo::InNextInterval(std::function<void()> deliver) {
    auto now = UsbIntervalClock::Clock::now();
    int64_t interval = m_clock.ReserveIn(now, m_after);
    m_io.After(m_clock.WaitUntil(interval, now),
               [valid = m_stillValid, deliver = std::move(deliver)] {
                   if (valid()) deliver();
               });
}

void TimedFirmwareIo::Reply(uint8_t interfaceNumber, std::vector<uint8_t> report) {
    FirmwareIo* io = &m_io;
    InNextInterval([io, interfaceNumber, report = std::move(report)]() mutable {
        io->Reply(interfaceNumber, std::move(report));
    });
}

void TimedFirmwareIo::Send(uint8_t interfaceNumber, std::vector<uint8_t> report) {
    FirmwareIo* io = &m_io;
    InNextInterval([io, interfaceNumber, report = std::move(report)]() mutable {
        io->Send(interfaceNumber, std::move(report));
    });
}

}  // namespace tirk::vbus
