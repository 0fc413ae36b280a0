#include "platform/posix/process_state.h"

#include <fstream>
#include <sstream>

namespace orlavo {

std::optional<ProcessState> ReadProcessState(const std::string& folder) {
    std::ifstream file(folder + "/stat");
    std::string line;
    if (!std::getline(file, line)) {
        return std::nullopt;
    }
    // "pid (name) S ppid ...": the name may hold spaces and parentheses itself.
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return std::nullopt;
    }
    ProcessState process;
    process.name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    rest >> process.state >> process.parent;
    return process;
}

}  // namespace orlavo
