#include "app/page_router.h"

namespace tirk {

std::span<const PageRoute> RecoilRoutes() {
    return {};
}

}  // namespace tirk
