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
    ItemView file;
    file.text = name;
    file.image = kFileImage;
    file.selectedImage = kFileSelectedImage;
    file.sectionMark = true;
    const ItemHandle item = document.tree.InsertItem(kNoItem, InsertPosition::First(), file);
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

void ApplyQuickConfig(ConfigDocument& document, const std::string& directory, const QuickConfigValues& values) {
    for (const DistributedFile& file : kDistributedFiles)
        ReadConfigFile(document, directory, file.read, file.into, ExistingItem::ReadIntoNamedItem);
    ConfigTree& tree = document.tree;
    ReplaceValuesByName(tree, "ServerRoot", std::nullopt, values.serverRoot);
    ReplaceValuesByName(tree, "DocumentRoot", std::nullopt, values.documentRoot);
    ReplaceValuesByName(tree, "Directory", kHtdocsPlaceholder, values.documentRoot);
    ReplaceValuesByName(tree, "User", std::nullopt, values.user);
    ReplaceValuesByName(tree, "Group", std::nullopt, values.group);
    ReplaceValuesByName(tree, "ServerAdmin", std::nullopt, values.serverAdmin);
    ReplaceValuesByName(tree, "Port", std::nullopt, std::to_string(values.port));
    tree.SelectItem(tree.FirstFileItem());
}

}  // namespace tarnwick
