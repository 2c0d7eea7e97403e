// A save killed at any moment must leave the previous or the new profile,
// never a missing, empty or half-written one.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "profile/json_file.h"
#include "profile/keyboard_profiledata.h"
#include "test_folder.h"

namespace {

const std::string kDefaultKeyboard = TIRK_RESOURCE_DIR "/DefaultData/keyboard.Json";
constexpr int kRounds = 200;
constexpr int kKeys = 170;

/// The child: loads the (large) keyboard profile, tells the parent through
/// `ready`, then saves over and over, each save with different colours and
/// with the round number as the custom group, until it is killed (or, as a
/// safety net, after a few seconds).
[[noreturn]] void SaveForever(const std::string& path, int round, int ready) {
    tirk::CKeyboardProfiledata profile;
    profile.SetDefaultPath(kDefaultKeyboard);
    profile.SetProfilePath(path);
    profile.LoadDocument(path);
    const char byte = 1;
    if (::write(ready, &byte, 1) != 1) ::_exit(1);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (uint8_t shade = 0; std::chrono::steady_clock::now() < until; ++shade) {
        profile.SetCustomLightColors(
            0, std::vector<tirk::CustomLightColor>(kKeys, {shade, 1, 2, 255}));
        profile.SetCustomLightGroup(round);
        profile.SaveProfile();
    }
    ::_exit(0);
}

/// Blocks until the child has loaded its profile (generous upper bound).
bool WaitUntilReady(int ready) {
    pollfd fd{ready, POLLIN, 0};
    char byte;
    return ::poll(&fd, 1, 30000) == 1 && ::read(ready, &byte, 1) == 1;
}

class CrashTest : public tirk::test::TestFolder {};

TEST_F(CrashTest, KilledSavesNeverLeaveABrokenProfile) {
    const std::string path = Path("profile.Json");
    std::chrono::microseconds saveTime;
    {
        tirk::CKeyboardProfiledata profile;
        profile.SetDefaultPath(kDefaultKeyboard);
        profile.SetProfilePath(path);
        ASSERT_TRUE(profile.LoadDocument(path).isObject());
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(profile.SaveProfile());
        saveTime = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
    }
    // Kill moments spread over about three saves: before the first save ends,
    // in the middle of later ones, and between them.
    const auto killWindow = 3 * saveTime.count() + 1;
    std::mt19937 random(20240307);
    int roundsThatSaved = 0;
    int roundsWithLeftovers = 0;
    for (int round = 1; round <= kRounds; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(path, round, ready[1]);
        const bool childReady = WaitUntilReady(ready[0]);
        ::close(ready[0]);
        ::close(ready[1]);
        if (childReady)
            std::this_thread::sleep_for(std::chrono::microseconds(random() % killWindow));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(childReady) << "round " << round << ": the child never loaded its profile";

        tirk::JsonReadStatus read;
        std::string error;
        const Json::Value root = tirk::ReadJsonFile(path, read, error);
        ASSERT_EQ(read, tirk::JsonReadStatus::Ok) << "round " << round << ": " << error;
        const Json::Value& document = root["Device"][0];
        ASSERT_EQ(document["KeyList"].size(), size_t(kKeys)) << "round " << round;
        ASSERT_EQ(document["CustomLightMode"]["LightColorInfo"][0].size(), size_t(kKeys))
            << "round " << round;
        if (document["CustomLightMode"]["CustomLightModeGroupIndex"].asInt() == round)
            ++roundsThatSaved;
        if (Files().size() > 1) ++roundsWithLeftovers;
    }
    RecordProperty("rounds_that_saved", roundsThatSaved);
    RecordProperty("rounds_with_leftovers", roundsWithLeftovers);
    EXPECT_GT(roundsThatSaved, kRounds / 10) << "the kills must also land after saves";

    // Temporaries of writes that were killed are removed by the next save.
    tirk::CKeyboardProfiledata profile;
    profile.SetProfilePath(path);
    profile.LoadDocument(path);
    ASSERT_TRUE(profile.SaveProfile());
    EXPECT_EQ(Files(), std::vector<std::string>{"profile.Json"});
}

}  // namespace
