// The live frame streamer between a lighting engine in mode 30 and the
// virtual keyboard: every new picture reaches the keyboard, an unchanged one
// is sent again as a keep-alive, and nothing goes out while it is off.
#include <gtest/gtest.h>

#include <thread>

#include "device/keyboard/live_frame_streamer.h"
#include "keyboard_fixture.h"

namespace tirk::keyboard {
namespace {

using test::Bytes;
using test::KeyboardTest;

constexpr int kExternalMode = 30;
/// The LED of position 64 on the virtual keyboard.
constexpr int kLed = 65;

class LiveFrameStreamerTest : public KeyboardTest {
protected:
    void SetUp() override {
        KeyboardTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(ReadTables());
        LightInfoRecord light;
        light.selectItem = kExternalMode;
        light.light = 4;
        protocol_->SetLightValues(light);
        runner_.SetLightValues(light);
        streamer_ = std::make_unique<LiveFrameStreamer>(*protocol_, runner_);
        runner_.Start();
    }
    void TearDown() override {
        runner_.Stop();
        streamer_.reset();
        KeyboardTest::TearDown();
    }
    std::vector<Bytes> LiveFrames() {
        std::vector<Bytes> frames;
        WithKeyboard(
            [&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { frames = f.LiveFrames(); });
        return frames;
    }
    /// Waits until the engine shows `rgb` at position 64 and the keyboard's
    /// last frame has it at kLed, scaled by the key's alpha.
    bool WaitForColour(const Bytes& rgb) {
        for (int i = 0; i < 500; ++i) {
            const CustomLightColor key = runner_.Colours()[64];
            if (Bytes{key.red, key.green, key.blue} != rgb) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const Bytes scaled = {ScaleByAlpha(key.red, key.alpha),
                                  ScaleByAlpha(key.green, key.alpha),
                                  ScaleByAlpha(key.blue, key.alpha)};
            const std::vector<Bytes> frames = LiveFrames();
            if (!frames.empty() && frames.back().size() >= 3 * kLed + 3 &&
                Bytes(frames.back().begin() + 3 * kLed, frames.back().begin() + 3 * kLed + 3) ==
                    scaled)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void External(int32_t red, int32_t green, int32_t blue) {
        const int32_t values[] = {red, green, blue, 0, 0, 0};
        runner_.SetExternalColour(values);
    }

    lighting::LightingRunner runner_;
    std::unique_ptr<LiveFrameStreamer> streamer_;
};

TEST_F(LiveFrameStreamerTest, EveryNewPictureReachesTheKeyboard) {
    External(255, 0, 0);
    streamer_->SetEnabled(true);
    ASSERT_TRUE(WaitForColour({255, 0, 0}));
    External(0, 128, 255);
    EXPECT_TRUE(WaitForColour({0, 128, 255}));
    EXPECT_EQ(streamer_->FramesFailed(), 0u);
}

TEST_F(LiveFrameStreamerTest, AnUnchangedPictureIsSentAgainAndNothingWhileOff) {
    External(10, 20, 30);
    streamer_->SetEnabled(true);
    ASSERT_TRUE(WaitForColour({10, 20, 30}));
    const uint64_t sent = streamer_->FramesSent();
    for (int i = 0; i < 500 && streamer_->FramesSent() < sent + 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(streamer_->FramesSent(), sent + 3) << "keep-alive frames";

    streamer_->SetEnabled(false);
    const size_t frames = LiveFrames().size();
    External(1, 2, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LE(LiveFrames().size(), frames + 1) << "at most the frame under way";
}

}  // namespace
}  // namespace tirk::keyboard
