// The one Qt application object a test program needs.
#pragma once

#include <string>

namespace tirk::test {

/// The application object of this test program, made on the first call with
/// `programName` as its argv[0]; later calls return the same object and
/// ignore `programName`. `Application` is QCoreApplication, or QApplication
/// where widgets are made; a program uses one type only, since Qt allows one
/// application object per process. Never destroyed, so no object a test
/// leaves behind outlives it.
template <typename Application>
Application& TestApplication(const char* programName) {
    static std::string name = programName;
    static int argc = 1;
    static char* argv[] = {name.data(), nullptr};
    static Application* app = new Application(argc, argv);
    return *app;
}

}  // namespace tirk::test
