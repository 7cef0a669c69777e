#include "new_item.h"

#include "config_tree.h"
#include "registry_value.h"
#include "template_store.h"

#include <algorithm>

namespace tarnwick {

namespace {

std::string NewItemKey(std::string_view name) {
    return std::string(kNewItemTemplatesKey) + "\\" + std::string(name.substr(0, kMaxItemTextLength));
}

std::string Lower(std::string text) {
    for (char& c : text) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::vector<std::string> OfferedNames(const Registry& registry, std::string_view currentName) {
    const std::uint32_t currentRank = ReadRegistryValue(registry, NewItemKey(currentName), "Parent", 2);
    std::vector<std::string> names;
    for (const std::string& name : registry.EnumerateKeys(RegistryRoot::LocalMachine, kNewItemTemplatesKey))
        if (ReadRegistryValue(registry, NewItemKey(name), "Parent", 0) < currentRank) names.push_back(name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    return names;
}

NewItemPlace PlaceForNewItem(const ConfigTree& tree, const Registry& registry, ItemHandle current) {
    if (current == kNoItem) return {};
    const ItemHandle parent = tree.Parent(current);
    const ItemView item = tree.GetItem(current);
    const bool plainDirective = parent != kNoItem && !item.sectionMark && tree.FirstChild(current) == kNoItem &&
                                ReadRegistryValue(registry, NewItemKey(item.text), "Parent", 0) == 0;
    return plainDirective ? NewItemPlace{parent, current} : NewItemPlace{current, kNoItem};
}

ItemHandle InsertNewItem(ConfigTree& tree, const Registry& registry, ItemHandle parent, std::string_view name) {
    return InsertNewItem(tree, registry, NewItemPlace{parent, kNoItem}, name);
}

ItemHandle InsertNewItem(ConfigTree& tree, const Registry& registry, NewItemPlace place, std::string_view name) {
    if (name.empty()) return kNoItem;
    const std::string key = NewItemKey(name);
    const std::string value = ReadRegistryValue(registry, key, "Default", kTextCapacity, "").text;
    const bool ranked = ReadRegistryValue(registry, key, "Parent", 0) != 0;
    ItemView item;
    item.text = name.substr(0, kMaxItemTextLength);
    item.value = value;
    item.hasValue = true;
    item.image = ranked ? kSectionImage : kDirectiveImage;
    item.selectedImage = ranked ? kSectionSelectedImage : kDirectiveImage;
    return tree.InsertItem(place.parent,
                           place.after == kNoItem ? InsertPosition::Last() : InsertPosition::After(place.after), item);
}

}  // namespace tarnwick
