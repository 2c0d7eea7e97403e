#include "app/messages.h"

#include <cstdint>

namespace tirk {

int RegisteredMessageId(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return 0xC000 + static_cast<int>(hash % 0x4000);
}

bool HandledWhileAsleep(MainMessage message) {
    switch (message) {
        case MainMessage::kActivate:
        case MainMessage::kMouseEnterLeave:
        case MainMessage::kInstance:
        case MainMessage::kSettingsRelay:
        case MainMessage::kLightControl:
        case MainMessage::kStatusQuery:
        case MainMessage::kDestroy:
        case MainMessage::kPower:
            return true;
        default:
            return false;
    }
}

}  // namespace tirk
