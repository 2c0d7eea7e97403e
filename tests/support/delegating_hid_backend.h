// A HID backend (and connection) that passes every call on to another one, for
// tests that change one thing about a real backend: derive, override only the
// call that differs, and let the rest reach the real nodes unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/hid/hid_backend.h"

namespace tirk::test {

/// Passes Read, Write and Cancel on to the connection it owns.
class DelegatingHidConnection : public hid::HidConnection {
public:
    explicit DelegatingHidConnection(std::unique_ptr<hid::HidConnection> inner)
        : m_inner(std::move(inner)) {}

    hid::HidIoResult Read(uint8_t* buffer, size_t capacity, size_t& received,
                          int timeoutMs) override {
        return m_inner->Read(buffer, capacity, received, timeoutMs);
    }
    hid::HidIoResult Write(const uint8_t* data, size_t length, size_t& written,
                           int timeoutMs) override {
        return m_inner->Write(data, length, written, timeoutMs);
    }
    void Cancel() override { m_inner->Cancel(); }

private:
    std::unique_ptr<hid::HidConnection> m_inner;
};

/// Passes ListNodes, ReadNodeInfo and Open on to another backend. Every read
/// of a connection Open hands out is reported to AfterRead, so a test that
/// watches or acts on reads overrides that alone.
class DelegatingHidBackend : public hid::HidBackend {
public:
    explicit DelegatingHidBackend(std::shared_ptr<hid::HidBackend> inner)
        : m_inner(std::move(inner)) {}

    std::vector<std::string> ListNodes() override { return m_inner->ListNodes(); }
    bool ReadNodeInfo(const std::string& name, hid::HidNodeInfo& info, bool& gone,
                      std::string& error) override {
        return m_inner->ReadNodeInfo(name, info, gone, error);
    }
    std::unique_ptr<hid::HidConnection> Open(const std::string& deviceNode, bool wantRead,
                                             bool wantWrite, bool hasReportIds,
                                             std::string& error) override {
        auto connection = m_inner->Open(deviceNode, wantRead, wantWrite, hasReportIds, error);
        if (!connection) return nullptr;
        return std::make_unique<ObservedConnection>(std::move(connection), *this);
    }

protected:
    /// Called on the reading thread after each read of a connection Open
    /// handed out, with the read's outcome and the time-out it was given.
    /// Connections may read on several threads at once.
    virtual void AfterRead(hid::HidIoResult /*result*/, int /*timeoutMs*/) {}

private:
    class ObservedConnection : public DelegatingHidConnection {
    public:
        ObservedConnection(std::unique_ptr<hid::HidConnection> inner, DelegatingHidBackend& owner)
            : DelegatingHidConnection(std::move(inner)), m_owner(owner) {}
        hid::HidIoResult Read(uint8_t* buffer, size_t capacity, size_t& received,
                              int timeoutMs) override {
            const hid::HidIoResult result =
                DelegatingHidConnection::Read(buffer, capacity, received, timeoutMs);
            m_owner.AfterRead(result, timeoutMs);
            return result;
        }

    private:
        DelegatingHidBackend& m_owner;
    };

    std::shared_ptr<hid::HidBackend> m_inner;
};

}  // namespace tirk::test
