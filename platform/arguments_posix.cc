// The command line on POSIX systems: the bytes given.
#include "platform/arguments.h"

namespace platform {

std::vector<std::string> arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

}  // namespace platform
