#include "script_stream.h"

namespace kelsetup {

ScriptStream::ScriptStream(std::string bytes) : bytes_(std::move(bytes)) {
    const auto controlZ = bytes_.find('\x1a');
    textEnd_ = controlZ == std::string::npos ? bytes_.size() : controlZ;
}

bool ScriptStream::ReadLine(std::string& line, std::size_t limit) {
    if (position_ >= textEnd_) {
        endOfFile_ = true;
        return false;
    }
    std::string read;
    while (read.size() < limit) {
        if (position_ >= textEnd_) {
            endOfFile_ = true;
            break;
        }
        char c = bytes_[position_++];
        if (c == '\r' && position_ < textEnd_ && bytes_[position_] == '\n') c = bytes_[position_++];
        read += c;
        if (c == '\n') break;
    }
    line = std::move(read);
    return true;
}

void ScriptStream::Seek(std::size_t position) {
    position_ = position > bytes_.size() ? bytes_.size() : position;
    endOfFile_ = false;
}

}  // namespace kelsetup
