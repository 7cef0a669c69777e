// Undo and Redo on every tree binding: each kind of edit taken back and done again exactly
// (names, values, kinds, nesting, places and the kept lines that go with them), long random
// runs of edits, undos and redos against the trees they must give, and files saved after an
// undo that differ from what was read only where the user changed them.

#include "config_lines.h"
#include "config_reader.h"
#include "config_writer.h"
#include "edit_history.h"
#include "item_text.h"
#include "memory_code_page.h"
#include "memory_file_store.h"
#include "random_edits.h"
#include "test_support.h"
#include "tree_bindings.h"
#include "tree_editing.h"
#include "tree_walk.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

// Everything an undo must give back, item by item in file order: fields, kinds, nesting and
// what each item keeps of the file it was read from.
std::string Snapshot(const ConfigTree& tree) {
    std::string out;
    std::vector<std::pair<ItemHandle, int>> pending;
    for (ItemHandle file = tree.FirstFileItem(); file != kNoItem; file = tree.NextSibling(file)) pending.emplace_back(file, 0);
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        const auto [item, depth] = pending.back();
        pending.pop_back();
        const ItemView view = tree.GetItem(item);
        out += std::string(2 * depth, ' ') + std::string(view.text) + (view.hasValue ? " = " + std::string(view.value) : " (none)") +
               " [" + std::to_string(view.image) + std::to_string(view.selectedImage) + (view.sectionMark ? "M" : "") + "]";
        if (view.source && view.source->file) {
            const ItemSource& s = *view.source;
            out += " {" + std::string(s.Lead()) + "|" + std::string(s.Own()) + "|" + std::string(s.CloseLead()) + "|" +
                   std::string(s.Close()) + "|" + (s.fieldsInPlace ? std::string(s.Text()) + "|" + std::string(s.Value()) : "") + "|" +
                   std::to_string(s.depth) + (s.opening ? "o" : "") + (s.fieldsInPlace ? "f" : "") + (s.linesOnly ? "l" : "") + "}";
        }
        out += "\n";
        const std::size_t mark = pending.size();
        for (ItemHandle child = tree.FirstChild(item); child != kNoItem; child = tree.NextSibling(child))
            pending.emplace_back(child, depth + 1);
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
    return out;
}

const std::string kConfText =
    "# The server's own file\n"
    "\n"
    "ServerRoot \"C:/Apache24\"\n"
    "Listen 80\n"
    "# heading of the modules\n"
    "\n"
    "# what the module is for\n"
    "LoadModule dir_module modules/mod_dir.so\n"
    "<Directory \"C:/web\">\n"
    "    Options Indexes \\\n"
    "        FollowSymLinks\n"
    "    # who may come in\n"
    "    Require all granted\n"
    "</Directory>\n"
    "\n"
    "# the first site\n"
    "<VirtualHost *:80>\n"
    "\tServerName example.org\n"
    "\t<Location />\n"
    "\t\tDeny from all\n"
    "\t</Location>\n"
    "</VirtualHost>\n"
    "# the end\n";

template <typename Binding>
class Undoing : public ::testing::Test {
protected:
    Binding binding;
    EditHistory history{binding.tree};
    MemoryFileStore files;
    ConfigDocument document{history, files, "C:\\conf\\"};
    ItemHandle file = kNoItem;

    void SetUp() override {
        files.AddDirectory("C:\\conf\\");
        files.AddFile("C:\\conf\\httpd.conf", kConfText);
        Open("httpd.conf");
    }

    ItemHandle Open(const std::string& name) {
        const EditHistory::Unnoted opening(history);
        OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {name}});
        for (ItemHandle item = history.FirstFileItem(); item != kNoItem; item = history.NextSibling(item))
            if (history.GetItem(item).text == name) file = item;
        return file;
    }
    ItemHandle Find(const char* name) { return FindItemByName(history, kNoItem, name); }
    std::string Written() {
        std::string text;
        WriteFileItemText(text, history, file, false, true);
        return text;
    }
};
TYPED_TEST_SUITE(Undoing, TreeBindings);

// One edit as a user makes it: the step it gives is undone and redone whole.
struct EditCase {
    const char* name;
    std::function<void(ConfigDocument&, EditHistory&, ItemHandle file)> edit;
    const char* shownAfterUndo;  // the item Undo selects, by name
};

ItemHandle Named(ConfigTree& tree, const char* name) { return FindItemByName(tree, kNoItem, name); }

const EditCase kEdits[] = {
    {"update", [](ConfigDocument& d, EditHistory&, ItemHandle) { d.tree.SetItemValue(Named(d.tree, "Listen"), "8080"); },
     "Listen"},
    {"new item",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         ItemView item;
         item.text = "ServerAdmin";
         item.value = "me@example.org";
         item.hasValue = true;
         item.image = item.selectedImage = kDirectiveImage;
         d.tree.InsertItem(d.tree.Parent(Named(d.tree, "Listen")), InsertPosition::After(Named(d.tree, "Listen")), item);
     },
     "Listen"},
    {"delete a section", [](ConfigDocument& d, EditHistory&, ItemHandle) { DeleteConfigItem(d, Named(d.tree, "Directory")); },
     "Directory"},
    {"delete below a heading", [](ConfigDocument& d, EditHistory&, ItemHandle) { DeleteConfigItem(d, Named(d.tree, "LoadModule")); },
     "LoadModule"},
    {"delete the last of a section", [](ConfigDocument& d, EditHistory&, ItemHandle) { DeleteConfigItem(d, Named(d.tree, "Location")); },
     "Location"},
    {"delete a file item", [](ConfigDocument& d, EditHistory&, ItemHandle file) { DeleteConfigItem(d, file); }, "httpd.conf"},
    {"drag onto a directive",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         MoveItem(d.tree, Named(d.tree, "ServerRoot"), Named(d.tree, "LoadModule"), &d.sources);
     },
     "LoadModule"},
    {"drag into another depth",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         MoveSubtree(d.tree, Named(d.tree, "VirtualHost"), Named(d.tree, "Directory"), &d.sources);
     },
     "Directory"},
    {"move up", [](ConfigDocument& d, EditHistory&, ItemHandle) { MoveItemUp(d.tree, Named(d.tree, "LoadModule"), &d.sources); },
     "LoadModule"},
    {"move down", [](ConfigDocument& d, EditHistory&, ItemHandle) { MoveItemDown(d.tree, Named(d.tree, "Directory"), &d.sources); },
     "Directory"},
    {"cut",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         const ItemHandle item = Named(d.tree, "VirtualHost");
         EXPECT_NE(ItemsText(d.tree, item), "");
         DeleteConfigItem(d, item);
     },
     "VirtualHost"},
    {"paste",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         const std::string text = ItemsText(d.tree, Named(d.tree, "VirtualHost"));
         EXPECT_EQ(PasteItems(d, Named(d.tree, "Listen"), text).count, 1u);
     },
     "Listen"},
    {"new file", [](ConfigDocument& d, EditHistory&, ItemHandle) { InsertNewFileItem(d.tree, "new.conf"); }, "httpd.conf"},
    {"a change of many items (Quick Config)",
     [](ConfigDocument& d, EditHistory&, ItemHandle) {
         d.tree.SetItemValue(Named(d.tree, "ServerRoot"), "\"D:/Apache\"");
         d.tree.SetItemValue(Named(d.tree, "Listen"), "81");
         d.tree.SetItemValue(Named(d.tree, "ServerName"), "example.com");
         InsertNewFileItem(d.tree, "quick.conf");
     },
     "ServerName"},
};

TYPED_TEST(Undoing, EveryKindOfEditIsUndoneAndRedoneExactly) {
    const std::string read = Snapshot(this->history), written = this->Written();
    for (const EditCase& edit : kEdits) {
        SCOPED_TRACE(edit.name);
        edit.edit(this->document, this->history, this->file);
        ASSERT_TRUE(this->history.EndStep());
        const std::string edited = Snapshot(this->history);
        ASSERT_NE(edited, read);
        EXPECT_TRUE(this->history.CanUndo());
        EXPECT_FALSE(this->history.CanRedo());

        EXPECT_TRUE(this->history.Undo());
        EXPECT_EQ(Snapshot(this->history), read);
        EXPECT_EQ(this->history.GetItem(this->history.SelectedItem()).text, edit.shownAfterUndo);
        EXPECT_TRUE(this->history.CanRedo());
        EXPECT_TRUE(this->history.Redo());
        EXPECT_EQ(Snapshot(this->history), edited);
        EXPECT_TRUE(this->history.Undo());
        EXPECT_EQ(Snapshot(this->history), read);
        // The file item may be another item now: find it by name again.
        this->file = this->Find("httpd.conf");
        EXPECT_EQ(this->Written(), written);
    }
    EXPECT_EQ(this->history.UndoSteps(), 0u);
    EXPECT_EQ(this->history.RedoSteps(), 1u);
}

TYPED_TEST(Undoing, ANewChangeDropsWhatRedoWouldRedoAndOpeningIsNoStep) {
    this->history.SetItemValue(this->Find("Listen"), "81");
    this->history.EndStep();
    this->history.Undo();
    ASSERT_TRUE(this->history.CanRedo());
    this->history.SetItemValue(this->Find("ServerRoot"), "x");
    EXPECT_FALSE(this->history.CanRedo());
    EXPECT_FALSE(this->history.Redo());
    this->history.EndStep();
    EXPECT_EQ(this->history.UndoSteps(), 1u);
    EXPECT_EQ(this->history.RedoSteps(), 0u);

    // Files opened later are no step, and the steps before them still undo.
    this->files.AddFile("C:\\conf\\other.conf", "Listen 9\n");
    this->Open("other.conf");
    EXPECT_FALSE(this->history.EndStep());
    EXPECT_TRUE(this->history.Undo());
    EXPECT_EQ(this->history.GetItem(FindItemByName(this->history, kNoItem, "ServerRoot")).value, "\"C:/Apache24\"");
    EXPECT_NE(this->Find("other.conf"), kNoItem);
    EXPECT_FALSE(this->history.CanUndo());
    EXPECT_FALSE(this->history.Undo());
    // Setting a value to what it is already changes nothing to undo.
    this->history.SetItemValue(this->Find("Listen"), "80");
    EXPECT_FALSE(this->history.EndStep());
}

// No small fixed limit: well over a thousand steps all undo, and all redo.
TYPED_TEST(Undoing, ThousandsOfStepsUndoAndRedo) {
    const ItemHandle listen = this->Find("Listen");
    constexpr int kSteps = 1500;
    for (int step = 1; step <= kSteps; ++step) {
        this->history.SetItemValue(listen, std::to_string(step));
        this->history.EndStep();
    }
    EXPECT_EQ(this->history.UndoSteps(), std::size_t{kSteps});
    while (this->history.Undo()) {
    }
    EXPECT_EQ(this->history.GetItem(listen).value, "80");
    EXPECT_EQ(this->history.RedoSteps(), std::size_t{kSteps});
    while (this->history.Redo()) {
    }
    EXPECT_EQ(this->history.GetItem(listen).value, std::to_string(kSteps));
}

TYPED_TEST(Undoing, UndoingBackToTheSaveLeavesNothingUnsaved) {
    DeleteConfigItem(this->document, this->Find("Directory"));
    this->history.EndStep();
    EXPECT_TRUE(HasUnsavedChanges(this->document));
    this->history.Undo();
    EXPECT_FALSE(HasUnsavedChanges(this->document));
    this->history.Redo();
    ASSERT_TRUE(SaveAllFiles(this->document).empty());
    EXPECT_FALSE(HasUnsavedChanges(this->document));
    this->history.Undo();
    EXPECT_TRUE(HasUnsavedChanges(this->document));
}

// Random edits, undos and redos: after each, the tree is the one the model says.
TYPED_TEST(Undoing, LongRandomRunsGiveTheTreesOfTheirSteps) {
    const auto store = MakePlatformFileStore();
    const char* const names[] = {"apache-2.4-style/httpd-vhosts.conf", "apache-2.4-style/odd-lines.conf"};
    std::mt19937 random(7);
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const auto text = store->ReadFileBytes(TestDataPath(name));
        ASSERT_TRUE(text);
        this->files.AddFile("C:\\conf\\run.conf", *text);
        this->Open("run.conf");
        std::vector<std::string> model{Snapshot(this->history)};
        const std::string writtenFirst = this->Written();
        std::size_t at = 0;
        for (int turn = 0; turn < 400; ++turn) {
            const unsigned choice = random() % 10;
            if (choice < 6) {
                const ItemHandle file = this->Find("run.conf");
                std::string script(1 + random() % 6, '\0');
                for (char& c : script) c = static_cast<char>(random());
                ApplyRandomEdits(this->document, file, script);
                if (!this->history.EndStep()) continue;
                model.resize(++at);
                model.push_back(Snapshot(this->history));
            } else if (choice < 8) {
                EXPECT_EQ(this->history.Undo(), at > 0);
                if (at > 0) --at;
            } else if (at + 1 < model.size()) {
                this->history.Redo();
                ++at;
            }
            ASSERT_EQ(Snapshot(this->history), model[at]) << "turn " << turn;
        }
        while (this->history.CanUndo()) this->history.Undo();
        EXPECT_EQ(Snapshot(this->history), model[0]);
        this->file = this->Find("run.conf");
        EXPECT_EQ(this->Written(), writtenFirst);
        DeleteConfigItem(this->document, this->file);
        this->history.Clear();
    }
}

// Save writes only changed files, so a delete taken back must leave a file that differs from
// the one read in the one line changed since, and nowhere else.
TEST(UndoAndSave, DeleteUndoAndAnUpdateChangeOnlyTheUpdatedLine) {
    const auto store = MakePlatformFileStore();
    const char* const names[] = {"apache-1.3-final/httpd.conf-dist-win", "apache-1.3-split/access.conf-dist-win",
                                 "apache-1.3-split/httpd.conf-dist-win", "apache-1.3-split/srm.conf-dist-win",
                                 "apache-2.4-style/httpd.conf",          "apache-2.4-style/httpd-vhosts.conf",
                                 "apache-2.4-style/odd-lines.conf",
                                 // An old configuration in code page 1252, its accents kept as they were.
                                 "# R\xE9glages du serveur\r\nServerName caf\xE9.example\r\n<Directory \"C:/Donn\xE9" "es\">\r\n"
                                 "  Options None\r\n</Directory>\r\nServerAdmin \xE9t\xE9@example.org\r\n"};
    const Windows1252CodePage codePage;
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const bool inline1252 = name[0] == '#';
        const auto text = inline1252 ? std::optional<std::string>(name) : store->ReadFileBytes(TestDataPath(name));
        ASSERT_TRUE(text);
        MemoryTree tree;
        EditHistory history(tree);
        MemoryFileStore files;
        files.AddDirectory("C:\\conf\\");
        files.AddFile("C:\\conf\\f.conf", *text);
        ConfigDocument document{history, files, "C:\\conf\\"};
        document.ansiCodePage = &codePage;
        // A changed file is written with the mode's line ends: those it has.
        document.crLfMode = text->find("\r\n") != std::string::npos;
        {
            const EditHistory::Unnoted opening(history);
            ASSERT_TRUE(OpenConfigFiles(document, OpenSelection{"C:\\conf\\", {"f.conf"}}).empty());
        }
        const auto itemsNow = [&history] {
            std::vector<ItemHandle> items;
            VisitInFileOrder(history, history.FirstFileItem(), [&items](ItemHandle item) { items.push_back(item); });
            return items;
        };
        const std::size_t count = itemsNow().size();
        ASSERT_GT(count, 3u);
        // The first, a middle and the last item, each deleted and brought back.
        for (const std::size_t at : {std::size_t{0}, count / 2, count - 1}) {
            DeleteConfigItem(document, itemsNow()[at]);
            history.EndStep();
            history.Undo();
        }
        // An unrelated Update: a directive standing on one line of its own.
        ItemHandle updated = kNoItem;
        VisitInFileOrder(history, history.FirstFileItem(), [&](ItemHandle item) {
            const ItemView view = history.GetItem(item);
            if (updated == kNoItem && !view.sectionMark && history.FirstChild(item) == kNoItem && view.source &&
                view.source->fieldsInPlace && std::count(view.source->Own().begin(), view.source->Own().end(), '\n') == 1)
                updated = item;
        });
        ASSERT_NE(updated, kNoItem);
        history.SetItemValue(updated, "changed-by-the-test");
        history.EndStep();
        ASSERT_TRUE(SaveAllFiles(document).empty());
        const std::string saved = *files.ReadFileBytes("C:\\conf\\f.conf");
        std::vector<std::string> before, after;
        for (auto [from, into] : {std::pair{std::string_view(*text), &before}, std::pair{std::string_view(saved), &after}}) {
            LineCursor lines(from);  // a changed file gets the mode's line ends: lines are compared without
            std::string_view line;
            while (lines.Next(line)) into->emplace_back(line);
        }
        ASSERT_EQ(before.size(), after.size());
        int differing = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i]) continue;
            ++differing;
            EXPECT_NE(after[i].find("changed-by-the-test"), std::string::npos) << after[i];
        }
        EXPECT_EQ(differing, 1);
    }
}

}  // namespace
}  // namespace tarnwick::testing
