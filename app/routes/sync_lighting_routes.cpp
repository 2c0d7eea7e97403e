#include "app/page_router.h"

namespace tirk {

std::span<const PageRoute> SyncLightingRoutes() {
    return {};
}

}  // namespace tirk
