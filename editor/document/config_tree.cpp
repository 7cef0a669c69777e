#include "config_tree.h"

namespace tarnwick {

ItemView FileItemView(std::string_view name, std::optional<std::string_view> directory) {
    ItemView file;
    file.text = name;
    file.image = kFileImage;
    file.selectedImage = kFileSelectedImage;
    file.sectionMark = true;
    file.hasValue = directory.has_value();
    file.value = directory.value_or(std::string_view());
    return file;
}

ItemFields ItemFields::From(const ItemView& view) {
    ItemFields fields;
    fields.text = std::string(view.text);
    if (view.hasValue) fields.value = std::string(view.value);
    fields.image = view.image;
    fields.selectedImage = view.selectedImage;
    fields.sectionMark = view.sectionMark;
    fields.expanded = view.expanded;
    if (view.source) fields.source = *view.source;
    return fields;
}

ItemView ItemFields::View() const {
    ItemView view;
    view.text = text;
    view.hasValue = value.has_value();
    if (value) view.value = *value;
    view.image = image;
    view.selectedImage = selectedImage;
    view.sectionMark = sectionMark;
    view.expanded = expanded;
    view.source = source ? &*source : nullptr;
    return view;
}

bool CountsAsSection(const ConfigTree& tree, ItemHandle item) {
    return tree.GetItem(item).sectionMark || tree.FirstChild(item) != kNoItem;
}

}  // namespace tarnwick
