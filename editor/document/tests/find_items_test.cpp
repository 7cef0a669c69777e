// Find over every binding of the tree: the order items are looked at (file order, collapsed
// sections included, from the item after the start, round the end once, and backward), and
// what matches (names, values, own comment lines; case).

#include "find_items.h"
#include "own_comments.h"

#include "config_document.h"
#include "config_reader.h"
#include "test_support.h"
#include "tree_bindings.h"
#include "tree_walk.h"

#include <vector>

namespace tarnwick::testing {
namespace {

constexpr char kFirstFile[] =
    "# general note\n"
    "\n"
    "# the main server\n"
    "ServerName www.example.com\n"
    "Listen 80\n"
    "\n"
    "# about logs\n"
    "# LogLevel sets how much\n"
    "LogLevel warn\n";

constexpr char kSecondFile[] =
    "<VirtualHost *:80>\r\n"
    "    ServerName vhost.example\r\n"
    "    # keep errors apart\r\n"
    "    ErrorLog /var/log/err.log\r\n"
    "    <Directory \"/var/www/\">\r\n"
    "        Options Indexes\r\n"
    "    </Directory>\r\n"
    "</VirtualHost>\r\n"
    "Listen 443\r\n"
    "# end of file\r\n";

// An item as a test names it: "name value", or the name alone for a file item.
std::string Label(const ConfigTree& tree, ItemHandle item) {
    if (item == kNoItem) return "(none)";
    const ItemView view = tree.GetItem(item);
    if (view.image == kFileImage) return std::string(view.text);
    return std::string(view.text) + " " + std::string(view.value);
}

template <typename Binding>
class FindItems : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [name, text] : {std::pair{"a.conf", kFirstFile}, std::pair{"b.conf", kSecondFile}}) {
            const ItemHandle file = tree.InsertItem(kNoItem, InsertPosition::Last(), FileItemView(name, "C:\\conf\\"));
            ParseConfigText(tree, sources.Keep(text), file);
        }
    }

    ItemHandle Item(const std::string& label) {
        ItemHandle found = kNoItem;
        for (ItemHandle file = tree.FirstFileItem(); file && !found; file = tree.NextSibling(file)) {
            if (Label(tree, file) == label) return file;
            VisitInFileOrder(tree, file, [&](ItemHandle item) {
                if (!found && Label(tree, item) == label) found = item;
            });
        }
        return found;
    }

    Binding binding;
    ConfigTree& tree = binding.tree;
    SourceFiles sources;
};
TYPED_TEST_SUITE(FindItems, TreeBindings);

struct FindCase {
    const char* text;
    bool matchCase;
    FindDirection direction;
    const char* from;  // label of the starting item; "" for none selected
    const char* found;
};

constexpr FindDirection kForward = FindDirection::Forward;
constexpr FindDirection kBackward = FindDirection::Backward;

const FindCase kFindCases[] = {
    // Order: the first item when nothing is selected, else the item after the selection.
    {"listen", false, kForward, "", "Listen 80"},
    {"listen", false, kForward, "Listen 80", "Listen 443"},
    {"listen", false, kForward, "ServerName www.example.com", "Listen 80"},
    // Round the end once, and the starting item itself last.
    {"listen", false, kForward, "Listen 443", "Listen 80"},
    {"warn", false, kForward, "LogLevel warn", "LogLevel warn"},
    // From one file into the next, and into sections that are collapsed.
    {"servername", false, kForward, "ServerName www.example.com", "ServerName vhost.example"},
    {"Indexes", false, kForward, "", "Options Indexes"},
    {"directory", false, kForward, "VirtualHost *:80", "Directory \"/var/www/\""},
    {"b.conf", false, kForward, "a.conf", "b.conf"},
    // Values, file items' directories included.
    {"*:80", false, kForward, "", "VirtualHost *:80"},
    {"err.log", false, kForward, "", "ErrorLog /var/log/err.log"},
    {"C:\\conf", false, kForward, "a.conf", "b.conf"},
    // Own comment lines: directly above, no blank line between.
    {"the main server", false, kForward, "", "ServerName www.example.com"},
    {"about logs", false, kForward, "", "LogLevel warn"},
    {"how much", false, kForward, "", "LogLevel warn"},
    {"keep errors", false, kForward, "", "ErrorLog /var/log/err.log"},
    {"general note", false, kForward, "", "(none)"},
    {"end of file", false, kForward, "", "(none)"},
    // Case.
    {"LISTEN", false, kForward, "", "Listen 80"},
    {"LISTEN", true, kForward, "", "(none)"},
    {"Listen", true, kForward, "Listen 80", "Listen 443"},
    {"VHOST", false, kForward, "", "ServerName vhost.example"},
    {"About Logs", true, kForward, "", "(none)"},
    // Nothing to find.
    {"", false, kForward, "", "(none)"},
    {"no such text", false, kForward, "Listen 80", "(none)"},
    {"no such text", false, kBackward, "Listen 80", "(none)"},
    // Backward: the item before the selection, round the start to the last item.
    {"listen", false, kBackward, "Listen 443", "Listen 80"},
    {"listen", false, kBackward, "Listen 80", "Listen 443"},
    {"listen", false, kBackward, "", "Listen 443"},
    {"servername", false, kBackward, "Options Indexes", "ServerName vhost.example"},
    {"servername", false, kBackward, "ServerName vhost.example", "ServerName www.example.com"},
    {"warn", false, kBackward, "LogLevel warn", "LogLevel warn"},
    {"VirtualHost", false, kBackward, "Options Indexes", "VirtualHost *:80"},
};

TYPED_TEST(FindItems, LooksInFileOrderAtNamesValuesAndOwnComments) {
    for (const FindCase& check : kFindCases) {
        SCOPED_TRACE(std::string(check.text) + (check.direction == kForward ? " forward" : " backward") + " from " +
                     check.from);
        const ItemHandle from = *check.from ? this->Item(check.from) : kNoItem;
        ASSERT_TRUE(!*check.from || from != kNoItem) << "no item " << check.from;
        const ItemHandle found = FindItem(this->tree, from, TextMatcher(check.text, check.matchCase), check.direction);
        EXPECT_EQ(Label(this->tree, found), check.found);
    }
}

// Repeating Find Next visits every match once, in file order, and comes round to the first;
// backward the same in reverse.
TYPED_TEST(FindItems, RepeatingGoesRoundEveryMatchOnce) {
    const TextMatcher matcher("ER", false);
    const std::vector<std::string> inOrder = {"ServerName www.example.com", "ServerName vhost.example",
                                              "ErrorLog /var/log/err.log"};
    for (const FindDirection direction : {kForward, kBackward}) {
        std::vector<std::string> seen, expected;
        ItemHandle at = kNoItem;
        for (std::size_t i = 0; i < 7; ++i) {
            seen.push_back(Label(this->tree, at = FindItem(this->tree, at, matcher, direction)));
            expected.push_back(direction == kForward ? inOrder[i % 3] : inOrder[2 - i % 3]);
        }
        EXPECT_EQ(seen, expected);
    }
}

struct CommentCase {
    const char* lead;
    const char* own;
};

const CommentCase kCommentCases[] = {
    {"", ""},
    {"# one\n", "# one\n"},
    {"# one\n# two\n", "# one\n# two\n"},
    {"# apart\n\n# near\n", "# near\n"},
    {"# apart\n\n", ""},
    {"# apart\n   \t\n", ""},
    {"  \t# indented\r\n", "  \t# indented\r\n"},
    {"# cr\r# lone\r", "# cr\r# lone\r"},
    {"# one\r\n\r\n# two\r\n", "# two\r\n"},
    {"</Stray>\n# after\n", "# after\n"},
    {"# before\n</Stray>\n", ""},
    {"not # a comment\n", ""},
};

TEST(OwnCommentLines, AreTheCommentLinesRightAboveTheItem) {
    for (const CommentCase& check : kCommentCases) {
        const std::string file = std::string(check.lead) + "Listen 80\n";
        ItemSource source;
        source.file = &file;
        source.ownBegin = static_cast<std::uint32_t>(std::string_view(check.lead).size());
        source.ownEnd = static_cast<std::uint32_t>(file.size());
        EXPECT_EQ(OwnCommentLines(source), check.own) << '"' << check.lead << '"';
    }
    EXPECT_EQ(OwnCommentLines(ItemSource{}), "");
}

}  // namespace
}  // namespace tarnwick::testing
