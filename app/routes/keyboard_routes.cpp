#include "app/page_router.h"

namespace tirk {

std::span<const PageRoute> KeyboardRoutes() {
    return {};
}

}  // namespace tirk
