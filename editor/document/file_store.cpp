#include "file_store.h"

namespace tarnwick {

bool FileStore::ReplaceFileBytes(const std::string& path, std::string_view bytes) {
    const std::unique_ptr<FileReplacement> replacement = BeginReplacement(path);
    return replacement && replacement->Write(bytes) && replacement->Commit();
}

std::string DirectoryOf(std::string_view path) {
    const auto last = path.find_last_of("\\/");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace tarnwick
