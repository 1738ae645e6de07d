// The command line's arguments as the programs keep text: UTF-8.
#pragma once

#include <string>
#include <vector>

namespace platform {

/// The arguments after the program's name. On Windows they are read again
/// from the system as UTF-16, so that a name outside the code page arrives
/// whole, and '\' between the parts of a path becomes '/'; elsewhere they
/// are the bytes given.
std::vector<std::string> arguments(int argc, char** argv);

}  // namespace platform
