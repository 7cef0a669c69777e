#include "new_files.h"

#include "config_reader.h"
#include "pane_values.h"
#include "registry_value.h"
#include "tree_walk.h"

namespace tarnwick {

namespace {

struct DistributedFile {
    const char* read;
    const char* into;
};
const DistributedFile kDistributedFiles[] = {
    {"httpd.conf-dist-win", "httpd.conf"},
    {"access.conf-dist-win", "access.conf"},
    {"srm.conf-dist-win", "srm.conf"},
};

}  // namespace

ItemHandle InsertFileItem(ConfigDocument& document, std::string_view name) {
    const ItemHandle item = document.tree.InsertItem(kNoItem, InsertPosition::First(), FileItemView(name));
    if (item == kNoItem) return kNoItem;
    document.tree.SelectItem(item);
    document.currentItem = item;
    return item;
}

void ReplaceValuesByName(ConfigTree& tree, std::string_view name, std::optional<std::string_view> required,
                         std::string_view newValue) {
    VisitChildrenFirst(tree, tree.FirstFileItem(), [&](ItemHandle item) {
        const ItemView view = tree.GetItem(item);
        if (!EqualsIgnoringCase(view.text, name)) return false;
        if (required && (!view.hasValue || !EqualsIgnoringCase(view.value, *required))) return false;
        tree.SetItemValue(item, newValue);
        return false;
    });
}

QuickConfigValues ReadQuickConfigPresets(const Registry& registry) {
    const auto text = [&registry](const char* name) {
        return ReadRegistryValue(registry, kQuickConfigKey, name, kTextCapacity, "").text;
    };
    QuickConfigValues values;
    values.serverRoot = text("ServerRoot");
    values.documentRoot = text("DocumentRoot");
    values.port = UpDownPosition(text("Port"));
    values.user = text("User");
    values.group = text("Group");
    values.serverAdmin = text("ServerAdmin");
    values.unix = EqualsIgnoringCase(text("ServerType"), "unix");
    return values;
}

namespace {

// Where a Listen value's port stands: its digits and where they start; nothing when it names
// no port.
struct ListenPortPlace {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::optional<ListenPortPlace> FindListenPort(std::string_view value) {
    const std::size_t begin = value.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return std::nullopt;
    const std::size_t end = std::min(value.find_first_of(" \t", begin), value.size());
    const std::string_view address = value.substr(begin, end - begin);
    // Where the port starts: after the colon that follows the address, or the whole word.
    std::size_t portBegin = 0;
    if (!address.empty() && address.front() == '[') {
        const std::size_t close = address.find(']');
        if (close == std::string_view::npos || close + 1 >= address.size() || address[close + 1] != ':') return std::nullopt;
        portBegin = close + 2;
    } else if (const std::size_t colon = address.find(':'); colon != std::string_view::npos) {
        if (address.find(':', colon + 1) != std::string_view::npos) return std::nullopt;  // IPv6 needs brackets
        portBegin = colon + 1;
    }
    const std::string_view digits = address.substr(portBegin);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    return ListenPortPlace{begin + portBegin, end};
}

}  // namespace

std::optional<std::string> WithListenPort(std::string_view value, std::uint16_t port) {
    const auto place = FindListenPort(value);
    if (!place) return std::nullopt;
    return std::string(value.substr(0, place->begin)) + std::to_string(port) + std::string(value.substr(place->end));
}

std::optional<std::string> ListenPort(std::string_view value) {
    const auto place = FindListenPort(value);
    if (!place) return std::nullopt;
    // "080" and "80" are one port.
    std::string_view digits = value.substr(place->begin, place->end - place->begin);
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return std::string(digits);
}

std::string QuotedPath(std::string_view path) {
    if (path.find_first_of(" \t") == std::string_view::npos || path.find('"') != std::string_view::npos)
        return std::string(path);
    // Inside quotes Apache reads a backslash before the closing quote as escaping it.
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && path[path.size() - 2] != ':')
        path.remove_suffix(1);
    return "\"" + std::string(path) + "\"";
}

namespace {

bool HoldsItemNamed(const ConfigTree& tree, const std::vector<ItemHandle>& files, std::string_view name) {
    for (ItemHandle file : files)
        if (tree.FirstChild(file) != kNoItem && FindItemByName(tree, tree.FirstChild(file), name) != kNoItem) return true;
    return false;
}

// The server's main port is the first Listen's: it goes into that Listen and every other one
// on the same port. Other listeners (443 for https, say) keep their ports.
void ReplaceListenPorts(ConfigTree& tree, const std::vector<ItemHandle>& files, std::uint16_t port) {
    std::vector<ItemHandle> listens;
    for (ItemHandle file : files)
        VisitInFileOrder(tree, file, [&](ItemHandle item) {
            if (EqualsIgnoringCase(tree.GetItem(item).text, "Listen")) listens.push_back(item);
        });
    std::optional<std::string> mainPort;
    for (ItemHandle item : listens) {
        const std::string value(tree.GetItem(item).value);
        const std::optional<std::string> itsPort = ListenPort(value);
        if (!mainPort) mainPort = itsPort;
        if (!itsPort || itsPort != mainPort) continue;
        if (const auto changed = WithListenPort(value, port)) tree.SetItemValue(item, *changed);
    }
}

}  // namespace

void ApplyQuickConfig(ConfigDocument& document, const std::string& directory, const QuickConfigValues& values) {
    std::vector<ItemHandle> distributed;
    for (const DistributedFile& file : kDistributedFiles) {
        const ItemHandle item = ReadConfigFile(document, directory, file.read, file.into, ExistingItem::ReadIntoNamedItem).item;
        if (item != kNoItem) distributed.push_back(item);
    }
    ConfigTree& tree = document.tree;
    const std::string serverRoot = QuotedPath(values.serverRoot), documentRoot = QuotedPath(values.documentRoot);
    ReplaceValuesByName(tree, "ServerRoot", std::nullopt, serverRoot);
    ReplaceValuesByName(tree, "DocumentRoot", std::nullopt, documentRoot);
    ReplaceValuesByName(tree, "Directory", kHtdocsPlaceholder, documentRoot);
    ReplaceValuesByName(tree, "User", std::nullopt, values.user);
    ReplaceValuesByName(tree, "Group", std::nullopt, values.group);
    ReplaceValuesByName(tree, "ServerAdmin", std::nullopt, values.serverAdmin);
    // Apache 2.4 has no Port: its port stands in Listen.
    const bool hasPort = HoldsItemNamed(tree, distributed, "Port");
    ReplaceValuesByName(tree, "Port", std::nullopt, std::to_string(values.port));
    if (!hasPort) ReplaceListenPorts(tree, distributed, values.port);
    tree.SelectItem(tree.FirstFileItem());
}

}  // namespace tarnwick
