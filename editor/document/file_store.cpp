#include "file_store.h"

namespace tarnwick {

std::string DirectoryOf(std::string_view path) {
    const auto last = path.find_last_of("\\/");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace tarnwick
