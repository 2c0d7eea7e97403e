#include "app/page_router.h"

namespace tirk {

std::span<const PageRoute> MacroRoutes() {
    return {};
}

bool RouteMacroMenuItem(const std::string& /*item*/, IPageServices& /*services*/) {
    return false;
}

}  // namespace tirk
