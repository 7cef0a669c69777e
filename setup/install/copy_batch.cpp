#include "copy_batch.h"

#include "primitives.h"

namespace kelsetup {

namespace {

// The last name of a path, without the trailing dots and blanks the file system ignores.
std::string_view LastName(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Two paths whose last names are plain ASCII and differ other than in the case of a letter
// never name one file: every file system compares ASCII letters so. That spares the platform
// the question for nearly every pair; the rest are its to answer.
bool MayNameOneFile(SetupPlatform& platform, const std::string& a, const std::string& b) {
    const std::string_view first = LastName(a), second = LastName(b);
    if (!first.empty() && !second.empty() && IsAscii(first) && IsAscii(second) && !EqualsIgnoringCase(first, second))
        return false;
    return platform.SameFile(a, b);
}

}  // namespace

void CopyBatch::Add(const std::string& from, const std::string& to) {
    for (const FileCopy& waiting : copies_)
        if (MayNameOneFile(platform_, from, waiting.to) || MayNameOneFile(platform_, to, waiting.to) ||
            MayNameOneFile(platform_, to, waiting.from)) {
            Flush();
            break;
        }
    copies_.push_back({from, to});
    if (copies_.size() == kLimit) Flush();
}

void CopyBatch::Flush() {
    if (copies_.empty()) return;
    const std::vector<PlatformError> errors = platform_.CopyFilesOver(copies_);
    for (std::size_t i = 0; i < copies_.size(); ++i) {
        if (i < errors.size() && errors[i].kind != ErrorKind::None) report_.Failed(action_, copies_[i].to, errors[i].text);
        else report_.Done(action_, copies_[i].to);
    }
    copies_.clear();
}

}  // namespace kelsetup
