// The main window offscreen in this process over a private HID root (a
// virtual bus when the test plugs devices), with a recording stand-in for the
// IPC backend and private data and configuration folders.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_globals.h"
#include "app/main_window.h"
#include "device/virtual/emulated_bus.h"
#include "test_application.h"
#include "ui/button.h"
#include "ui/paint_manager.h"

namespace tirk {

class RecordingIpc : public IpcService {
public:
    struct Log {
        bool started = false;
        std::vector<std::pair<int, int>> owners;
    };
    explicit RecordingIpc(std::shared_ptr<Log> log) : log_(std::move(log)) {}
    bool Start(IpcHandler&) override { return log_->started = true; }
    bool IsOn() const override { return log_->started; }
    void AnnounceLightOwner(int w, int l) override { log_->owners.emplace_back(w, l); }

private:
    std::shared_ptr<Log> log_;
};

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QApplication>("main_window_test");
        ASSERT_TRUE(hid_root_.isValid());
        std::string error;
        ASSERT_TRUE(LoadDeviceTables(TIRK_RESOURCE_DIR "/devices.json", &tables_, &error)) << error;
        CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
        qputenv("TIRK_HID_ROOT", hid_root_.path().toUtf8());
        qputenv("XDG_DATA_HOME", (hid_root_.path() + "/data").toUtf8());
        qputenv("XDG_CONFIG_HOME", (hid_root_.path() + "/config").toUtf8());
        Globals().awake = true;
    }
    void TearDown() override {
        window_.reset();
        bus_.reset();
        qunsetenv("TIRK_HID_ROOT");
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        Globals().awake = true;
    }

    void PlugEmulatedDevices() {
        std::string error;
        bus_ = vbus::StartEmulatedBus(tables_, hid_root_.path().toStdString() + "/bus", &error);
        ASSERT_TRUE(bus_) << error;
        qputenv("TIRK_HID_ROOT", bus_->root().c_str());
    }

    void CreateWindow() {
        window_ = std::make_unique<CMainWnd>(tables_, std::make_unique<RecordingIpc>(ipc_));
        if (hook_factory_) window_->SetInputHookFactory(hook_factory_);
        ASSERT_TRUE(window_->Create(nullptr, "Vorpaline TIRK")) << window_->GetLoadError();
    }

    bool WaitShownAfterFirstScan() {
        return QTest::qWaitFor([&] { return window_->IsFirstScanDone() && window_->IsVisible(); },
                               20000);
    }

    CControlUI* Find(const char* name) { return window_->GetPaintManager().FindControl(name); }

    bool Click(const char* name) {
        auto* button = dynamic_cast<CButtonUI*>(Find(name));
        return button && button->Activate();
    }

    QTemporaryDir hid_root_;
    DeviceTables tables_;
    std::unique_ptr<vbus::VirtualHidBus> bus_;
    std::shared_ptr<RecordingIpc::Log> ipc_ = std::make_shared<RecordingIpc::Log>();
    std::unique_ptr<CMainWnd> window_;
    /// The input hook's backend the window gets; empty: the program's choice.
    CDeviceHook::BackendFactory hook_factory_;
};

}  // namespace tirk
