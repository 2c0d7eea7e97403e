// The page command router's table: which row a notification's type and
// sender name pick, with what index, and that a matched row runs on the
// device whose page is shown or, without one, only consumes the notification.
#include "app/page_router.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <array>
#include <string>
#include <vector>

#include "device/family/keyboard_device.h"
#include "test_application.h"
#include "ui/button.h"

namespace tirk {
namespace {

/// What the handlers saw, in order: which row ran, with which index, on which device.
struct HandlerCall {
    char row;
    int index;
    CTelvorinFamilyDevice* device;
};
std::vector<HandlerCall>& Calls() {
    static std::vector<HandlerCall> calls;
    return calls;
}
template <char Row>
void Record(RouteCall& call) {
    Calls().push_back({Row, call.index, &call.device});
}

// The rows live as long as the program: the router keeps pointers to them.
constexpr PageRoute kTable[] = {
    {"click", "deng_light_slider", false, Record<'a'>},
    {"click", "color_option_", true, Record<'b'>},
    {"click", "color_option_5", false, Record<'c'>},  // an exact row beside the indexed one
    {"itemselect", "light_combo_ZZCCmodeSelect", false, Record<'d'>},
    {"selectchanged", "deng_FXL_check", false, Record<'e'>},
};
constexpr PageRoute kReplacements[] = {
    {"click", "deng_light_slider", false, Record<'f'>},
    {"click", "COLOR_OPTION_", true, Record<'g'>},
};

class PageRouterTest : public ::testing::Test {
protected:
    // The device object is a widget.
    static void SetUpTestSuite() { test::TestApplication<QApplication>("page_router_test"); }
    void SetUp() override {
        Calls().clear();
        router_.AddRoutes(kTable);
    }
    /// The row `name` picks for `type` ('-' when none) and its index.
    std::pair<char, int> Pick(const std::string& type, const std::string& name) {
        int index = 99;
        const PageRoute* route = router_.Find(type, name, index);
        if (!route) return {'-', index};
        Calls().clear();
        RouteCall call{msg_, services_, device_, index};
        route->handler(call);
        return {Calls().at(0).row, index};
    }

    class Services : public IPageServices {
    public:
        CTelvorinFamilyDevice* CurrentDevice() override { return current; }
        void ShowMessage(const std::string&, const std::string&) override {}
        bool Ask(const std::string&) override { return false; }
        CTelvorinFamilyDevice* current = nullptr;
    };

    CPageRouter router_;
    CTelvorinKeyboardDevice device_;
    Services services_;
    TNotifyUI msg_;
};

TEST_F(PageRouterTest, NamesPickTheirRowWithTheIndexOfAnIndexedName) {
    struct Case {
        const char* type;
        const char* name;
        char row;
        int index;
    } cases[] = {
        {"click", "deng_light_slider", 'a', -1},
        {"click", "color_option_12", 'b', 12},
        {"click", "color_option_0", 'b', 0},
        {"click", "Deng_Light_SLIDER", 'a', -1},  // case does not matter
        {"click", "COLOR_Option_3", 'b', 3},
        {"itemselect", "light_combo_zzccmodeselect", 'd', -1},  // nor in the table's name
        {"click", "color_option_5", 'c', -1},                   // the exact row wins
        {"click", "color_option_05", 'b', 5},                   // not the exact name
        {"selectchanged", "deng_FXL_check", 'e', -1},
        // no row
        {"selectchanged", "deng_light_slider", '-', -1},  // the type is part of the key
        {"click", "deng_FXL_check", '-', -1},
        {"click", "deng_light_slider_2", '-', -1},
        {"click", "color_option_", '-', -1},  // no number
        {"click", "color_option_x", '-', -1},
        {"click", "color_option_1a", '-', -1},
        {"click", "color_option_-1", '-', -1},
        {"click", "color_option_+1", '-', -1},
        {"click", "color_option_99999999999", '-', -1},  // too large for an index
        {"click", "audiocolor_option_1", '-', -1},       // another prefix
        {"click", "option_1", '-', -1},
        {"click", "", '-', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.name);
        const auto [row, index] = Pick(c.type, c.name);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(index, c.index);
    }
}

TEST_F(PageRouterTest, ALaterRowReplacesTheEarlierOneOfTheSameTypeAndName) {
    router_.AddRoutes(kReplacements);
    EXPECT_EQ(Pick("click", "deng_light_slider"), std::make_pair('f', -1));
    EXPECT_EQ(Pick("click", "color_option_2"), std::make_pair('g', 2)) << "names differing in case";
    EXPECT_EQ(Pick("click", "color_option_5"), std::make_pair('c', -1)) << "the exact row stays";
    EXPECT_EQ(Pick("itemselect", "light_combo_ZZCCmodeSelect"), std::make_pair('d', -1));
}

TEST_F(PageRouterTest, ARoutedNotificationRunsOnTheCurrentDeviceOrOnlyIsConsumed) {
    CButtonUI slot;
    slot.SetName("color_option_7");
    TNotifyUI msg{"click", &slot};

    EXPECT_TRUE(router_.Route(msg, services_)) << "matched without a device page";
    EXPECT_TRUE(Calls().empty());

    services_.current = &device_;
    EXPECT_TRUE(router_.Route(msg, services_));
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].row, 'b');
    EXPECT_EQ(Calls()[0].index, 7);
    EXPECT_EQ(Calls()[0].device, &device_);

    Calls().clear();
    slot.SetName("color_option_");
    EXPECT_FALSE(router_.Route(msg, services_));
    TNotifyUI noSender{"click", nullptr};
    EXPECT_FALSE(router_.Route(noSender, services_));
    EXPECT_TRUE(Calls().empty());
}

// The program's own tables: every row is found by its own name, and no two
// rows of different areas claim the same notification.
TEST_F(PageRouterTest, TheProgramsTablesFindEachOfTheirRows) {
    const std::array<std::span<const PageRoute>, 6> tables = {
        FeatureTabRoutes(), LightingRoutes(), KeyAssignmentRoutes(), DeviceRoutes(),
        KeyboardRoutes(), SyncLightingRoutes()};
    CPageRouter all;
    size_t rows = 0;
    for (std::span<const PageRoute> table : tables) {
        all.AddRoutes(table);
        rows += table.size();
    }
    EXPECT_GT(rows, 50u);
    for (std::span<const PageRoute> table : tables) {
        for (const PageRoute& route : table) {
            const std::string name = std::string(route.name) + (route.indexed ? "3" : "");
            int index = 0;
            EXPECT_EQ(all.Find(route.type, name, index), &route) << route.type << " " << name;
            EXPECT_EQ(index, route.indexed ? 3 : -1) << name;
        }
    }
}

}  // namespace
}  // namespace tirk
