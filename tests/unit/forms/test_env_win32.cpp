#include <cstdlib>

#include "test_env.h"

namespace kivo::testing {

void SetEnvForTest(const char* name, const char* value) { _putenv_s(name, value); }

}  // namespace kivo::testing
