#include "core/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tirk::log {
namespace {

struct Sink {
    std::mutex mutex;
    bool loaded = false;
    bool enabled = false;
    FILE* file = nullptr;

    void Load() {
        if (file) fclose(file);
        file = nullptr;
        const char* debug = std::getenv("TIRK_DEBUG");
        const char* path = std::getenv("TIRK_LOG");
        enabled = (debug && std::strcmp(debug, "1") == 0) || (path && *path);
        // Close-on-exec ("e"): programs we start must not inherit the log.
        if (path && *path) file = std::fopen(path, "ae");
        loaded = true;
    }
};

Sink& TheSink() {
    static Sink sink;
    return sink;
}

}  // namespace

bool Enabled() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    if (!sink.loaded) sink.Load();
    return sink.enabled;
}

void Line(std::string_view text) {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    if (!sink.loaded) sink.Load();
    if (!sink.enabled) return;
    std::string line(text);
    if (line.empty() || line.back() != '\n') line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    if (sink.file) {
        std::fwrite(line.data(), 1, line.size(), sink.file);
        std::fflush(sink.file);
    }
}

void Printf(const char* format, ...) {
    if (!Enabled()) return;
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Line(buffer);
}

void DeviceFault(std::string_view device, std::string_view what) {
    Line("device fault: " + std::string(device) + ": " + std::string(what));
}

void FileFault(std::string_view file, std::string_view what) {
    Line("file fault: " + std::string(file) + ": " + std::string(what));
}

void Bug(std::string_view what) { Line("internal error: " + std::string(what)); }

std::string HexLines(const unsigned char* data, size_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
        out.push_back((i % 16 == 15 || i + 1 == length) ? '\n' : ' ');
    }
    return out;
}

void ReloadSettingsForTest() {
    Sink& sink = TheSink();
    std::lock_guard lock(sink.mutex);
    sink.Load();
}

}  // namespace tirk::log
