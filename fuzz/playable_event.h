// The fuzzers' oracle for an event a checker accepted: the device plays only
// these, restated from the event table rather than taken from the code under
// test.
#pragma once

#include <cstdint>

namespace fuzz_oracle {

/// The events the device knows, restated from the event table.
inline bool Playable(uint8_t type, uint8_t button) {
    switch (type) {
        case 1:
            return button == 0x01 || button == 0x02 || button == 0x04 || button == 0x08 ||
                   button == 0x10;
        case 9:
            return button != 0 && (button & (button - 1)) == 0;
        case 4:
        case 5:
        case 10:
            return true;
        default:
            return false;
    }
}

}  // namespace fuzz_oracle
