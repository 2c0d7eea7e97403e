#include "app/ipc.h"

namespace tirk {

const char* GameEventName(GameEvent event) {
    switch (event) {
        case GameEvent::kStart:
            return "Game_Start";
        case GameEvent::kEnd:
            return "Game_End";
        case GameEvent::kKill:
            return "Game_Kill";
        case GameEvent::kDeath:
            return "Game_Death";
    }
    return "?";
}

}  // namespace tirk
