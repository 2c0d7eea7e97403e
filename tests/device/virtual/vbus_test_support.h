// Helpers of the virtual bus tests: a temporary bus root, a raw client of a
// node socket (what the hidraw backend does underneath), running tirk-vdev,
// and a small walk over report descriptor items.
#pragma once

#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/virtual/unix_socket.h"
#include "support/temp_folder.h"

namespace tirk::vbus::test {

/// Generous upper bound for anything that should happen at once.
constexpr int kPromptlyMs = 5000;

/// A fresh bus root, removed with everything in it at the end; in memory
/// when possible (see TempParent::kMemoryIfAvailable).
class TempRoot : public tirk::test::TempFolder {
public:
    TempRoot()
        : TempFolder(
              {.prefix = "tirk-vbus-test", .parent = tirk::test::TempParent::kMemoryIfAvailable}) {}
};

/// One open "file" of a virtual hidraw node.
class NodeClient {
public:
    explicit NodeClient(const std::string& nodePath) {
        std::string error;
        fd_ = ConnectSeqpacket(nodePath, &error);
    }
    ~NodeClient() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    bool Write(const std::vector<uint8_t>& report) {
        return send(fd_, report.data(), report.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(report.size());
    }

    /// The next report; an empty vector at end-of-file; nullopt when nothing
    /// came within `timeoutMs`.
    std::optional<std::vector<uint8_t>> Read(int timeoutMs = kPromptlyMs) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        std::vector<uint8_t> buffer(16384);
        ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
        buffer.resize(n > 0 ? n : 0);
        return buffer;
    }

    /// Ends the connection from this side (wakes a blocked reader).
    void Shutdown() { shutdown(fd_, SHUT_RDWR); }

    /// Blocks in recv without a time-out, as a listener thread does.
    ssize_t BlockingRead() {
        uint8_t buffer[256];
        return recv(fd_, buffer, sizeof buffer, 0);
    }

private:
    int fd_ = -1;
};

/// The 64-byte command frame `frame` with its checksum (the sum of bytes 3 to
/// 63, little-endian in bytes 1 and 2) computed here, not by the program's
/// frame code, so a wrong sum there shows up as a difference.
inline std::vector<uint8_t> Sealed(std::vector<uint8_t> frame) {
    uint16_t sum = 0;
    for (size_t i = 3; i < 64; ++i) sum = static_cast<uint16_t>(sum + frame[i]);
    frame[1] = sum & 0xFF;
    frame[2] = sum >> 8;
    return frame;
}

/// A 64-byte command frame with a correct checksum.
inline std::vector<uint8_t> CommandFrame(uint8_t command, std::vector<uint8_t> data = {},
                                         uint16_t offset = 0) {
    std::vector<uint8_t> frame(64, 0);
    frame[0] = 0x04;
    frame[3] = command;
    frame[4] = static_cast<uint8_t>(data.size());
    frame[5] = offset & 0xFF;
    frame[6] = offset >> 8;
    for (size_t i = 0; i < data.size(); ++i) frame[8 + i] = data[i];
    return Sealed(std::move(frame));
}

/// `length` test bytes seed, seed + 7, seed + 14, ... (mod 256): neighbours
/// differ, and so do patterns of different seeds.
inline std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + 7 * i);
    return bytes;
}

struct ToolResult {
    int exitCode = -1;
    std::string output;  ///< stdout and stderr together
};

/// Runs the built tool `tool` (a program of the build's bin folder) with
/// `arguments` (already shell-quoted).
inline ToolResult RunTool(const std::string& tool, const std::string& arguments) {
    std::string command = std::string(TIRK_BIN_DIR) + "/" + tool + " " + arguments + " 2>&1";
    ToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[512];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

/// Runs the built tirk-vdev with `arguments` (already shell-quoted).
inline ToolResult RunVdev(const std::string& arguments) {
    return RunTool("tirk-vdev", arguments);
}

/// What a report descriptor says about one top-level collection.
struct TopCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::map<uint8_t, int> inputBits;  ///< per report id, without the id byte
    std::map<uint8_t, int> outputBits;
};

/// Walks the main and global items of `descriptor` (no Push/Pop, enough for
/// the descriptors we write) and returns its top-level collections.
inline std::vector<TopCollection> WalkDescriptor(const std::vector<uint8_t>& descriptor,
                                                 bool* wellFormed) {
    std::vector<TopCollection> collections;
    uint16_t usagePage = 0, usage = 0;
    int reportSize = 0, reportCount = 0, depth = 0;
    uint8_t reportId = 0;
    *wellFormed = true;
    for (size_t i = 0; i < descriptor.size();) {
        uint8_t prefix = descriptor[i];
        int size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > descriptor.size()) return *wellFormed = false, collections;
        uint32_t value = 0;
        for (int b = 0; b < size; ++b) value |= uint32_t(descriptor[i + 1 + b]) << (8 * b);
        switch (prefix & 0xFC) {
            case 0x04:
                usagePage = value;
                break;
            case 0x08:
                usage = value;
                break;
            case 0x74:
                reportSize = value;
                break;
            case 0x94:
                reportCount = value;
                break;
            case 0x84:
                reportId = value;
                break;
            case 0xA0:
                if (depth++ == 0) collections.push_back({usagePage, usage, {}, {}});
                break;
            case 0xC0:
                if (--depth < 0) *wellFormed = false;
                break;
            case 0x80:
                if (!collections.empty())
                    collections.back().inputBits[reportId] += reportSize * reportCount;
                break;
            case 0x90:
                if (!collections.empty())
                    collections.back().outputBits[reportId] += reportSize * reportCount;
                break;
        }
        i += 1 + size;
    }
    if (depth != 0) *wellFormed = false;
    return collections;
}

}  // namespace tirk::vbus::test
