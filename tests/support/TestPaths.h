#pragma once
// Where tests find the repository, the shared sample files and the real engines.
#include <string>

namespace Tavrune::Test {

// The repository's root folder (as a path this process can open).
std::string sourceDir();
// The build folder of this configuration.
std::string binaryDir();
// The shared folder beside the repository (samples and data written by other tools),
// or an empty text when it is absent.
std::string sharedDir();
// True when the environment variable CI is set: tests that would skip for a missing
// peer or sample must fail instead, since CI always provides them.
bool runningInCi();

}  // namespace Tavrune::Test

// Skips the current test with a reason, or fails it when running in CI.
#define TAVRUNE_SKIP_OR_FAIL_IN_CI(reason)                        \
  do {                                                            \
    if (::Tavrune::Test::runningInCi()) {                         \
      FAIL() << "required in CI: " << (reason);                   \
    }                                                             \
    GTEST_SKIP() << (reason);                                     \
  } while (0)
