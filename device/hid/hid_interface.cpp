#include "device/hid/hid_interface.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>

#include "core/log.h"

using tirk::hid::HidConnection;
using tirk::hid::HidIoResult;
using tirk::hid::HidNodeInfo;

CHidInterface::CHidInterface() : CHidInterface(tirk::hid::CreateDefaultHidBackend()) {}

CHidInterface::CHidInterface(std::shared_ptr<tirk::hid::HidBackend> backend)
    : backend_(std::move(backend)) {}

CHidInterface::~CHidInterface() {
    Close();
    FreePaths();
}

bool CHidInterface::Enumerate() {
    FreePaths();
    std::map<std::string, std::string> stillFaulty;
    for (const std::string& name : backend_->ListNodes()) {
        std::string problem;
        if (!AppendNodePaths(name, paths_, problem) && !problem.empty()) {
            ReportFaultyNode(name, problem);
            stillFaulty.emplace(name, std::move(problem));
        }
    }
    // A node that went away or reads well again is forgotten, so it is
    // reported again when it comes back broken.
    faultyNodes_ = std::move(stillFaulty);
    return true;
}

// One path per top-level collection of node `name`. False when the node gives
// none: `problem` is empty when it vanished meanwhile (an unplug, nothing to
// tell), else it says what is wrong with it.
bool CHidInterface::AppendNodePaths(const std::string& name, std::vector<std::string>& paths,
                                    std::string& problem) {
    HidNodeInfo info;
    bool gone = false;
    std::string error;
    if (!backend_->ReadNodeInfo(name, info, gone, error)) {
        if (!gone) problem = "unreadable: " + error;
        return false;
    }
    tirk::hid::ReportDescriptor descriptor;
    if (!tirk::hid::ParseReportDescriptor(info.descriptor.data(), info.descriptor.size(),
                                          descriptor, error)) {
        problem = "malformed report descriptor: " + error;
        return false;
    }
    const size_t collections = descriptor.topLevel.size();
    for (size_t i = 0; i < collections; ++i) {
        paths.push_back(tirk::hid::MakeHidInterfacePath(info, collections > 1 ? int(i) + 1 : 0));
    }
    return true;
}

// The scan enumerates every 100 ms; a broken node is told once, not each time.
void CHidInterface::ReportFaultyNode(const std::string& name, const std::string& problem) {
    const auto known = faultyNodes_.find(name);
    if (known != faultyNodes_.end() && known->second == problem) return;
    tirk::log::DeviceFault(name, problem + " (skipped by the device scan)");
}

const char* CHidInterface::NextPath() {
    if (cursor_ >= paths_.size()) return nullptr;
    return paths_[cursor_++].c_str();
}

void CHidInterface::FreePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    cursor_ = 0;
}

bool CHidInterface::Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
                         bool shareReadOnly) {
    std::unique_lock lock(mutex_);
    wantRead_ = wantRead;
    wantWrite_ = wantWrite;
    overlapped_ = overlapped;
    shareReadOnly_ = shareReadOnly;
    path_ = path;
    lock.unlock();
    return Reopen();
}

// Signals the waiting transfers, waits until they have left, and only then
// drops the connection, so no transfer ever touches a closed (or reused) fd.
void CHidInterface::CloseLocked(std::unique_lock<std::mutex>& lock) {
    if (connection_) {
        connection_->Cancel();
        transferEnded_.wait(lock, [this] { return !reading_ && !writing_; });
        connection_.reset();
    }
    layout_.Clear();
    wireBuffer_.clear();
}

void CHidInterface::Close() {
    std::unique_lock lock(mutex_);
    CloseLocked(lock);
}

bool CHidInterface::IsOpen() const {
    std::lock_guard lock(mutex_);
    return connection_ != nullptr;
}

bool CHidInterface::Reopen() {
    std::unique_lock lock(mutex_);
    CloseLocked(lock);
    const std::string node = tirk::hid::DeviceNodeOfPath(path_);
    const tirk::hid::HidPathIdentity identity = tirk::hid::ParseHidPathIdentity(path_);
    interfaceNumber_ = identity.interfaceNumber;
    collectionNumber_ = identity.collectionNumber;
    if (node.empty()) {
        lastError_ = path_ + ": not an interface path";
        return false;
    }
    HidNodeInfo info;
    bool gone = false;
    std::string error;
    if (!backend_->ReadNodeInfo(tirk::hid::HidBackend::NodeName(node), info, gone, error) ||
        !layout_.Load(info.descriptor.data(), info.descriptor.size(),
                      collectionNumber_ == 0 ? 0 : int(collectionNumber_) - 1, error)) {
        lastError_ = path_ + ": " + error;
        layout_.Clear();
        return false;
    }
    std::unique_ptr<HidConnection> connection =
        backend_->Open(node, wantRead_, wantWrite_, layout_.ReportIdsUsed(), error);
    if (!connection) {
        lastError_ = error;
        layout_.Clear();
        return false;
    }
    connection_ = std::move(connection);
    vendorId_ = info.vendorId;
    productId_ = info.productId;
    version_ = info.version;
    wireBuffer_.assign(std::max<uint32_t>(layout_.LargestInputOnWire(), 1) + 1, 0);
    lastError_.clear();
    return true;
}

bool CHidInterface::LoadLayoutFromDescriptor(const uint8_t* descriptor, size_t size,
                                             int collectionIndex) {
    std::unique_lock lock(mutex_);
    CloseLocked(lock);
    std::string error;
    if (!layout_.Load(descriptor, size, collectionIndex, error)) {
        lastError_ = error;
        return false;
    }
    lastError_.clear();
    return true;
}

std::shared_ptr<HidConnection> CHidInterface::BeginTransfer(bool& flag, HidIoResult& refused) {
    std::lock_guard lock(mutex_);
    if (!connection_) {
        refused = HidIoResult::Cancelled;
        return nullptr;
    }
    if (flag) {
        refused = HidIoResult::Error;  // one transfer of this kind waits already
        return nullptr;
    }
    flag = true;
    return connection_;
}

bool CHidInterface::IsReading() const {
    std::lock_guard lock(mutex_);
    return reading_;
}

void CHidInterface::EndTransfer(bool& flag) {
    {
        std::lock_guard lock(mutex_);
        flag = false;
    }
    transferEnded_.notify_all();
}

// Puts the report into the caller's buffer in the Windows layout: id byte
// first (a 0 is prepended when the descriptor has no ids), zero-padded to the
// collection's input report length. The length as sent is kept apart, so the
// padding cannot pass a truncated report off as a whole one.
bool CHidInterface::CopyAcceptedReport(const uint8_t* wire, size_t received, uint8_t* buffer,
                                       uint32_t length, uint32_t& transferred) {
    const bool ids = layout_.ReportIdsUsed();
    const uint8_t reportId = ids ? wire[0] : 0;
    if (!layout_.OwnsInputReport(reportId)) return false;
    const size_t total = received + (ids ? 0 : 1);
    lastReceivedBytes_.store(static_cast<uint32_t>(total));
    const size_t copied = std::min<size_t>(total, length);
    std::memset(buffer, 0, length);
    if (ids) {
        std::memcpy(buffer, wire, copied);
    } else if (copied > 0) {
        std::memcpy(buffer + 1, wire, copied - 1);
    }
    transferred = static_cast<uint32_t>(std::min<size_t>(
        length, std::max<size_t>(copied, layout_.ReportBytes(tirk::hid::ReportType::Input))));
    return true;
}

bool CHidInterface::Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, int timeoutMs) {
    transferred = 0;
    lastReceivedBytes_.store(0);
    const HidIoResult result = ReadAccepted(buffer, length, transferred, timeoutMs);
    lastReadResult_.store(result);
    return result == HidIoResult::Ok;
}

// Reads until a report of this collection comes or the read ends otherwise.
HidIoResult CHidInterface::ReadAccepted(uint8_t* buffer, uint32_t length, uint32_t& transferred,
                                        int timeoutMs) {
    if (buffer == nullptr || length == 0) return HidIoResult::Error;
    HidIoResult result = HidIoResult::Error;
    std::shared_ptr<HidConnection> connection = BeginTransfer(reading_, result);
    if (!connection) return result;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            wait = static_cast<int>(std::max<int64_t>(left.count(), 0));
        }
        size_t received = 0;
        result = connection->Read(wireBuffer_.data(), wireBuffer_.size(), received, wait);
        if (result != HidIoResult::Ok) break;
        if (received > 0 &&
            CopyAcceptedReport(wireBuffer_.data(), received, buffer, length, transferred)) {
            break;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) {
            result = HidIoResult::Timeout;
            break;
        }
    }
    EndTransfer(reading_);
    return result;
}

bool CHidInterface::Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred,
                          int timeoutMs) {
    transferred = 0;
    if (buffer == nullptr || length == 0) return false;
    HidIoResult refused = HidIoResult::Error;
    std::shared_ptr<HidConnection> connection = BeginTransfer(writing_, refused);
    if (!connection) return false;
    size_t written = 0;
    const bool ok = connection->Write(buffer, length, written, timeoutMs) == HidIoResult::Ok;
    if (ok) transferred = static_cast<uint32_t>(written);
    EndTransfer(writing_);
    return ok;
}

uint32_t CHidInterface::ParseInputReport(const uint8_t* report, uint32_t length) {
    std::lock_guard lock(mutex_);
    return layout_.ParseInputReport(report, length);
}
