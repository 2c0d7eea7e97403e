// tirk-udev-rules [--user-table USER_JSON] DEVICES_JSON OUTPUT: writes the udev
// rules for the devices of DEVICES_JSON to OUTPUT. Used by
// scripts/gen-udev-rules.sh; with --user-table the rules also cover the
// devices a user added in their own table (docs/device-identities.md).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "device/device_table.h"
#include "device/udev_rules.h"

namespace {

constexpr const char* kUsage =
    "usage: tirk-udev-rules [--user-table USER_JSON] DEVICES_JSON OUTPUT\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tirk-udev-rules: %s\n", message.c_str());
    return 1;
}

// The user named the file, so here a missing or bad one is an error: rules
// without the device they asked for would leave its node closed to them.
bool AddUserTable(const std::string& path, tirk::DeviceTables* tables, std::string* error) {
    std::string content;
    tirk::FileResult read = tirk::ReadWholeFile(path, content);
    if (!read) {
        *error = read.error;
        return false;
    }
    return tirk::AddUserCandidates(content, path, tables, error);
}

}  // namespace

int main(int argc, char** argv) {
    std::string userTable;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--user-table") == 0 && i + 1 < argc)
            userTable = argv[++i];
        else
            files.push_back(argv[i]);
    }
    bool option = false;  // an unknown option, or --user-table without its file
    for (const std::string& file : files) option = option || file.rfind("--", 0) == 0;
    if (files.size() != 2 || option) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    tirk::DeviceTables tables;
    std::string error;
    if (!tirk::LoadDeviceTables(files[0], &tables, &error)) return Fail(error);
    if (!userTable.empty() && !AddUserTable(userTable, &tables, &error)) return Fail(error);
    tirk::FileResult written =
        tirk::WriteFileAtomic(files[1], tirk::MakeUdevRules(tables, userTable));
    if (!written) return Fail(written.error);
    return 0;
}
