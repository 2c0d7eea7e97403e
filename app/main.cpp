// The tirk executable: start-up, single instance, the main window and its
// message loop, and the orderly end.
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <string>

#include "app/app_globals.h"
#include "app/control_table.h"
#include "app/install_paths.h"
#include "app/ipc.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/private_font.h"
#include "app/quit_signals.h"
#include "app/single_instance.h"
#include "core/log.h"
#include "core/private_folder.h"
#include "device/device_table.h"
#include "device/virtual/emulated_bus.h"
#include "ui/control_factory.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kUsage[] =
    "Usage: tirk [--emulate] [--help] [--version]\n"
    "Configures Vorpaline TIRK gaming keyboards, mice, mouse pads and headsets.\n\n"
    "  --emulate   start with the virtual keyboard, mouse, mouse pad and headset\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

struct Options {
    bool emulate = false;
    bool exit_now = false;
    int exit_code = 0;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--emulate") == 0) {
            options.emulate = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            options.exit_now = true;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tirk %s\n", TIRK_VERSION);
            options.exit_now = true;
        } else {
            std::fprintf(stderr, "tirk: unknown option '%s'\n%s", argv[i], kUsage);
            options.exit_now = true;
            options.exit_code = 2;
        }
    }
    return options;
}

// The shipped identities plus the user's own additions; a user file that is
// malformed is reported (`user_error`) and the shipped table used alone.
tirk::DeviceTables LoadTables(std::string* user_error) {
    tirk::DeviceTables tables;
    std::string error;
    if (!tirk::LoadDeviceTablesWithUserAdditions(tirk::DefaultDeviceTablesPath(),
                                                 tirk::DefaultUserDeviceTablePath(), &tables,
                                                 &error, user_error))
        tirk::log::FileFault(tirk::DefaultDeviceTablesPath(), error);
    return tables;
}

// `tirk --emulate`: the virtual devices. This process's HID backend is pointed
// at the bus root before QApplication exists, because setenv is unsafe once
// other threads may read the environment. The bus itself starts later, on its
// own thread while the window builds, and the first scan waits for it
// (CMainWnd::SetBeforeFirstScan).
using EmulatedBus = std::shared_future<std::shared_ptr<tirk::vbus::VirtualHidBus>>;

// Returns the root the bus will use, made private to this user first so that
// nobody else can put devices where the backend looks; "" after saying why
// when it cannot be. Call while the process has one thread.
std::string PointHidBackendAtEmulatedBus() {
    std::string root = tirk::vbus::DefaultEmulatedBusRoot();
    if (tirk::FileResult usable = tirk::MakePrivateFolder(root); !usable) {
        std::fprintf(stderr, "tirk: the virtual devices cannot start: %s\n", usable.error.c_str());
        return {};
    }
    setenv("TIRK_HID_ROOT", root.c_str(), 1);
    return root;
}

// Starts the bus at `root` on its own thread; the future holds the running bus
// (its last owner removes it) or null when it failed, which is reported.
EmulatedBus StartEmulation(const tirk::DeviceTables& tables, const std::string& root) {
    return std::async(
        std::launch::async, [tables, root]() -> std::shared_ptr<tirk::vbus::VirtualHidBus> {
            std::string error;
            std::shared_ptr<tirk::vbus::VirtualHidBus> bus =
                tirk::vbus::StartEmulatedBus(tables, root, &error);
            if (!bus)
                std::fprintf(stderr, "tirk: the virtual devices could not start: %s\n",
                             error.c_str());
            else
                tirk::log::Printf("virtual devices at %s", bus->root().c_str());
            return bus;
        });
}

// The message loop with the main window; returns when "exit" was chosen.
void RunMainWindow(const std::string& folder, tirk::DeviceTables tables,
                   const std::string& table_notice, tirk::SingleInstance& instance,
                   const EmulatedBus& bus) {
    CPaintManagerUI::SetInstancePath(folder);
    CPaintManagerUI::SetResourcePath(folder + "/skin/");
    // Sub-layouts built in code have no builder callback: their custom
    // classes are found through the factory only.
    tirk::RegisterCustomControls(*CControlFactory::GetInstance());
    auto window = std::make_unique<CMainWnd>(std::move(tables), tirk::CreateDbusIpcService());
    if (bus.valid()) window->SetBeforeFirstScan([bus] { bus.wait(); });
    window->SetStartupNotice(table_notice);
    if (!window->Create(nullptr, "Vorpaline TIRK")) {
        std::fprintf(stderr, "tirk: the main window cannot be built: %s\n",
                     window->GetLoadError().c_str());
        return;
    }
    window->CenterWindow();
    tirk::RouteQuitSignals([w = window.get()] {
        tirk::log::Line("quit signal: exiting");
        w->ExitProgram();
    });
    QObject::connect(&instance, &tirk::SingleInstance::ActivationRequested,
                     [w = window.get()] { w->OnInstanceMessage(0, 1); });
    CPaintManagerUI::MessageLoop();
    window.reset();
    CResourceManager::GetInstance()->Release();
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    if (options.exit_now) return options.exit_code;
    const std::string emulated_root = options.emulate ? PointHidBackendAtEmulatedBus() : "";
    if (options.emulate && emulated_root.empty()) return 1;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorpaline TIRK");
    QApplication::setQuitOnLastWindowClosed(false);

    const std::string folder = tirk::InstallationFolder();
    std::unique_ptr<tirk::CPrivateFont> fonts[std::size(tirk::kPrivateFontFiles)];
    for (size_t i = 0; i < std::size(fonts); ++i) {
        fonts[i] = std::make_unique<tirk::CPrivateFont>(folder);
        fonts[i]->Load(tirk::kPrivateFontFiles[i]);
    }

    const int instance_message = tirk::RegisteredMessageId(tirk::kInstanceMessageName);
    tirk::Globals().instance_message = instance_message;
    tirk::log::Printf("软件标示：%d", instance_message);

    tirk::SingleInstance instance(tirk::InstanceFolder());
    if (instance.Acquire() == tirk::SingleInstance::Role::kSecond) {
        const bool answered = instance.AskFirstToActivate(std::chrono::milliseconds(500));
        tirk::log::Line(answered ? "another instance runs: brought it to the front"
                                 : "another instance is starting: leaving it alone");
        return 0;
    }
    instance.Listen();

    std::string table_notice;
    tirk::DeviceTables tables = LoadTables(&table_notice);
    EmulatedBus bus;
    if (options.emulate) bus = StartEmulation(tables, emulated_root);

    RunMainWindow(folder, std::move(tables), table_notice, instance, bus);
    bus = {};  // the last owner: unplugs the virtual devices and removes their files
    if (!emulated_root.empty()) rmdir(emulated_root.c_str());  // ours; stays when not empty
    for (auto it = std::rbegin(fonts); it != std::rend(fonts); ++it) it->reset();
    return 0;
}
