#pragma once
// The configuration tree: the editor's whole document. Every part of the editor reads and
// changes the configuration only through this interface; the Win32 binding carries the
// operations out on the main window's tree view, the in-memory binding serves the core's
// tests and tools.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Opaque identifier of one item. 0 means none (and, as a parent, the top level).
using ItemHandle = std::uintptr_t;
inline constexpr ItemHandle kNoItem = 0;

// Image indexes that mark an item's kind (file, section, directive).
inline constexpr int kFileImage = 0;
inline constexpr int kFileSelectedImage = 1;
inline constexpr int kSectionImage = 2;
inline constexpr int kSectionSelectedImage = 3;
inline constexpr int kDirectiveImage = 4;

// Item names take part in name lookups up to this many characters; the tree itself keeps
// longer names whole so that nothing is cut when a file is written back.
inline constexpr std::size_t kMaxItemTextLength = 1023;

// Where an item stood in the file it was read from, as offsets into that file's bytes, which
// the document keeps for as long as its items may point into them. Three stretches of the
// file belong to an item: the comment and blank lines above it (lead), its own line or lines
// (own: indentation, continuations and line ends included), and for a section the comment and
// blank lines before its closing line and that line (closeLead, close). A file item keeps the
// lines after its last item as its closeLead.
struct ItemSource {
    const std::string* file = nullptr;
    std::uint32_t leadBegin = 0;
    std::uint32_t ownBegin = 0;
    std::uint32_t ownEnd = 0;
    std::uint32_t closeLeadBegin = 0;
    std::uint32_t closeBegin = 0;
    std::uint32_t closeEnd = 0;
    // The item's name and value where they stand whole within its own line, so that telling
    // whether the item still says the same needs no second reading; see `fieldsInPlace`.
    std::uint32_t textBegin = 0;
    std::uint32_t textEnd = 0;
    std::uint32_t valueBegin = 0;
    std::uint32_t valueEnd = 0;
    std::uint32_t depth = 0;      // how deep the item stood: a file's own items are at depth 1
    bool opening = false;         // its own line opened a section
    bool fieldsInPlace = false;   // off for a continued line, whose joined value stands nowhere whole
    // The item itself was never read: only lines that stood before it (its lead) or before its
    // closing line (its closeLead) are kept, lines left in its place by an item deleted or moved.
    bool linesOnly = false;

    std::string_view Lead() const { return Span(leadBegin, ownBegin); }
    std::string_view Own() const { return Span(ownBegin, ownEnd); }
    std::string_view LeadAndOwn() const { return Span(leadBegin, ownEnd); }
    std::string_view CloseLead() const { return Span(closeLeadBegin, closeBegin); }
    std::string_view Close() const { return Span(closeBegin, closeEnd); }
    std::string_view Text() const { return Span(textBegin, textEnd); }
    std::string_view Value() const { return Span(valueBegin, valueEnd); }

private:
    std::string_view Span(std::uint32_t begin, std::uint32_t end) const {
        return file ? std::string_view(*file).substr(begin, end - begin) : std::string_view();
    }
};

// A borrowed view of one item. Texts end at their first NUL, as in a C-string control.
// A view returned by GetItem stays valid until the next GetItem or change on the same tree.
struct ItemView {
    std::string_view text;
    std::string_view value;  // empty when hasValue is false
    bool hasValue = false;
    int image = 0;
    int selectedImage = 0;
    bool sectionMark = false;
    bool expanded = false;
    const ItemSource* source = nullptr;  // none: the item was not read from a file
};

// The fields of a file item named `name`, read from `directory`; without one, it has no
// directory of its own and is saved to the configuration directory.
ItemView FileItemView(std::string_view name, std::optional<std::string_view> directory = std::nullopt);

// An owning copy of an item, for callers that keep fields across tree calls.
struct ItemFields {
    std::string text;
    std::optional<std::string> value;
    int image = 0;
    int selectedImage = 0;
    bool sectionMark = false;
    bool expanded = false;
    std::optional<ItemSource> source{};

    static ItemFields From(const ItemView& view);
    ItemView View() const;
};

struct InsertPosition {
    enum class Kind { First, Last, After };
    Kind kind = Kind::Last;
    ItemHandle after = kNoItem;

    static InsertPosition First() { return {Kind::First, kNoItem}; }
    static InsertPosition Last() { return {Kind::Last, kNoItem}; }
    static InsertPosition After(ItemHandle item) { return {Kind::After, item}; }
};

struct TreePoint {
    int x = 0;
    int y = 0;
};

// The binding owns every value string: it copies on insert and on SetItemValue, and
// releases them when an item is deleted or the binding goes away. No caller frees one.
class ConfigTree {
public:
    virtual ~ConfigTree() = default;

    // Returns the new item, or kNoItem when the parent or position is not usable.
    virtual ItemHandle InsertItem(ItemHandle parent, InsertPosition where, const ItemView& item) = 0;
    // All fields of an item; an empty view for kNoItem or an unknown handle.
    virtual ItemView GetItem(ItemHandle item) const = 0;
    // What a search reads: all fields but the state (expanded is left false). A binding that
    // keeps them beside its control answers without asking the control. Valid as GetItem's.
    virtual ItemView GetItemContent(ItemHandle item) const { return GetItem(item); }
    // Replaces the item's value string by a copy of `value`.
    virtual void SetItemValue(ItemHandle item, std::string_view value) = 0;
    // Releases the item's own value string; the item then has none.
    virtual void ReleaseItemValue(ItemHandle item) = 0;
    // Replaces where the item stood in its file (the reader learns a section's closing line
    // after its children). Not a change of the configuration: the revision stays. A source
    // without a file takes the item's away: it then stands nowhere, as an item never read.
    virtual void SetItemSource(ItemHandle item, const ItemSource& source) = 0;

    virtual ItemHandle FirstFileItem() const = 0;
    virtual ItemHandle NextSibling(ItemHandle item) const = 0;
    virtual ItemHandle FirstChild(ItemHandle item) const = 0;
    virtual ItemHandle Parent(ItemHandle item) const = 0;  // kNoItem for a top-level item

    virtual ItemHandle SelectedItem() const = 0;
    // Selects the item; the selection-change notification goes to the tree's owner.
    virtual void SelectItem(ItemHandle item) = 0;
    virtual void SetDropHighlight(ItemHandle item) = 0;
    virtual ItemHandle HitTest(TreePoint point) const = 0;

    // Removes the item and everything below it, with their value strings.
    virtual void DeleteItem(ItemHandle item) = 0;

    // Counts the changes made to items: inserts, values set or released, deletes. Selections
    // and highlights are not changes. Two equal counts mean nothing changed in between.
    virtual std::uint64_t Revision() const = 0;
};

// An item counts as a section (written as a block) when its section mark is set or it has
// at least one child.
bool CountsAsSection(const ConfigTree& tree, ItemHandle item);

}  // namespace tarnwick
