#include "script_stream.h"

namespace kelsetup {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

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
    // Cut at the limit, a line goes on as the next read; a character cut in half would be
    // two broken halves, so a character that does not fit whole goes to the next read.
    if (read.size() >= limit && position_ < textEnd_ && IsContinuationByte(bytes_[position_])) {
        std::size_t back = 0;
        while (back < read.size() && IsContinuationByte(read[read.size() - 1 - back])) ++back;
        if (back < read.size() && back < 4) {
            ++back;  // its first byte
            read.resize(read.size() - back);
            position_ -= back;
        }
    }
    line = std::move(read);
    return true;
}

void ScriptStream::Seek(std::size_t position) {
    position_ = position > bytes_.size() ? bytes_.size() : position;
    endOfFile_ = false;
}

}  // namespace kelsetup
