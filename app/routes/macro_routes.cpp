#include "app/page_router.h"

namespace tirk {

std::span<const PageRoute> MacroRoutes() {
    return {};
}

}  // namespace tirk
