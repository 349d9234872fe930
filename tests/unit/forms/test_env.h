// Setting an environment variable from a test (setenv on POSIX, _putenv_s on Windows; chosen
// by CMake). Not thread-safe: call it while no other thread reads the environment.
#pragma once

namespace kivo::testing {

void SetEnvForTest(const char* name, const char* value);

}  // namespace kivo::testing
