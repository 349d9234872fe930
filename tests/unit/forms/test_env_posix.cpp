#include <cstdlib>

#include "test_env.h"

namespace kivo::testing {

void SetEnvForTest(const char* name, const char* value) { setenv(name, value, 1); }

}  // namespace kivo::testing
