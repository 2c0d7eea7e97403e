#include "app/app_globals.h"

namespace tirk {

AppGlobals& Globals() {
    static AppGlobals globals;
    return globals;
}

}  // namespace tirk
