#include "copy_batch.h"

#include "primitives.h"

namespace kelsetup {

void CopyBatch::Add(const std::string& from, const std::string& to) {
    std::string fromKey = PathKey(from), toKey = PathKey(to);
    if (written_.count(fromKey) || written_.count(toKey) || read_.count(toKey)) Flush();
    copies_.push_back({from, to});
    read_.insert(std::move(fromKey));
    written_.insert(std::move(toKey));
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
    read_.clear();
    written_.clear();
}

}  // namespace kelsetup
