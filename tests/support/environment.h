// Setting and removing an environment variable of the test process, on
// Linux and Windows alike.
#pragma once

#include <cstdlib>

namespace tq::testing {

inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

inline void UnsetEnvironment(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");  // an empty value removes it on Windows
#else
    ::unsetenv(name);
#endif
}

}  // namespace tq::testing
