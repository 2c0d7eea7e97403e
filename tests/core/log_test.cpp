// The debug log file stays with this process: programs it starts (the audio
// companion, a browser, an installer) must not inherit it.
#include "core/log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/file_read.h"
#include "support/temp_folder.h"

namespace {

/// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_saved = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_saved)
            ::setenv(m_name, m_saved->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

TEST(DebugLog, ItsFileIsNotInheritedByStartedPrograms) {
    tirk::test::TempFolder folder({.prefix = "tirk-log"});
    ASSERT_TRUE(folder.valid());
    const std::string logPath = folder.path() + "/debug.log";
    const std::string listing = folder.path() + "/descriptors";
    {
        ScopedEnv log("TIRK_LOG", logPath);
        tirk::log::ReloadSettingsForTest();
        tirk::log::Line("a line before the child starts");
        // The shell and ls inherit every descriptor that is not close-on-exec;
        // ls shows its own, with the files they are open on.
        const std::string command = "ls -l /proc/self/fd > '" + listing + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    tirk::log::ReloadSettingsForTest();

    const tirk::FileRead seen = tirk::ReadFile(listing);
    ASSERT_TRUE(seen) << seen.error;
    EXPECT_NE(seen.content.find(listing), std::string::npos)
        << "the listing shows the child's open files:\n"
        << seen.content;
    EXPECT_EQ(seen.content.find(logPath), std::string::npos) << "the child holds the log:\n"
                                                             << seen.content;
    EXPECT_NE(tirk::ReadFile(logPath).content.find("a line before the child starts"),
              std::string::npos);
}

}  // namespace
