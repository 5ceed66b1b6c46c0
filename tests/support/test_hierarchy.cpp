// The instance hierarchy: loading from a file of instance paths, lookups by
// name among few and many children, and both kinds of relative search.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <rdbxml/hdb_instance.h>
#include "support_fixtures.h"

namespace {

std::unique_ptr<HDB_HIERARCHY> load_text(const std::string& text, std::string* error = nullptr)
{
    STL_STRING message;
    std::unique_ptr<HDB_HIERARCHY> hierarchy =
        HDB_HIERARCHY::load(support_temp_file("hierarchy.txt", text).c_str(), &message);
    if (error != nullptr)
        *error = message.c_str();
    return hierarchy;
}

std::string path_of(const HDB_INSTANCE_NAME* instance)
{
    return instance != nullptr ? instance->full_path().c_str() : "(none)";
}

}  // namespace

TEST(Hierarchy, LoadsTheTreeInFileOrderAndSearchesItFromAnyInstance)
{
    std::unique_ptr<HDB_HIERARCHY> h = load_text("# a small design\r\ntop/cpu/alu/add\r\n\r\ntop/cpu/regs\n   \n"
                                                 "top/mem/alu/add\ntop/mem/ctrl/cpu/alu\ntop\ntop/cpu/alu/mul\n");
    ASSERT_NE(h, nullptr);
    HDB_INSTANCE_NAME* top = h->top();
    EXPECT_EQ(h->action_point()->get_m_rooted_at(), top);
    EXPECT_EQ(top->parent(), nullptr);
    ASSERT_EQ(top->children().size(), 2u);
    EXPECT_EQ(path_of(top->children()[1]), "top/mem");
    HDB_INSTANCE_NAME* alu = top->find_child("cpu")->find_child("alu");
    ASSERT_EQ(alu->children().size(), 2u);  // "add" once, though named on two lines
    EXPECT_EQ(path_of(alu->children()[1]), "top/cpu/alu/mul");
    // Paths are relative; from any depth the first match in file order wins,
    // and only an instance's own descendants count.
    HDB_INSTANCE_NAME* mem = top->find_child("mem");
    const struct {
        HDB_INSTANCE_NAME* from;
        const char* path;
        bool any_depth;
        const char* found;
    } cases[] = {
        {top, "cpu/alu/add", false, "top/cpu/alu/add"}, {top, "mem", false, "top/mem"},
        {top, "alu/add", false, "(none)"},              {top, "top/cpu", false, "(none)"},
        {mem, "alu/add", false, "top/mem/alu/add"},     {top, "alu/add", true, "top/cpu/alu/add"},
        {top, "cpu/alu", true, "top/cpu/alu"},          {top, "alu/mul", true, "top/cpu/alu/mul"},
        {top, "add/alu", true, "(none)"},               {top, "top", true, "(none)"},
        {top, "", true, "(none)"},                      {top, "alu//add", true, "(none)"},
        {mem, "cpu/alu", true, "top/mem/ctrl/cpu/alu"}, {mem, "regs", true, "(none)"},
        {top, "nothing", false, "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(path_of(c.from->find_in_descendants(c.path, c.any_depth)), c.found) << c.path;
}

TEST(Hierarchy, ManyChildrenAreFoundByNameAndSoAreLaterOnes)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "top/block" + std::to_string(i) + "/leaf" + std::to_string(i % 7) + "\n";
    std::unique_ptr<HDB_HIERARCHY> h = load_text(text + "top/block5/late\n");
    ASSERT_NE(h, nullptr);
    HDB_INSTANCE_NAME* top = h->top();
    EXPECT_EQ(top->children().size(), 200u);
    EXPECT_EQ(top->find_child("block5")->children().size(), 2u);
    EXPECT_EQ(path_of(top->find_in_descendants("block104/leaf6", false)), "top/block104/leaf6");
    top->find_child("block9")->add_child("x");
    top->add_child("late")->add_child("x");
    EXPECT_EQ(path_of(top->find_in_descendants("x", true)), "top/block9/x");
    EXPECT_EQ(path_of(top->find_child("late")->find_in_descendants("x", true)), "top/late/x");
}

TEST(Hierarchy, BadFilesAreRefusedWithAReason)
{
    const std::pair<const char*, const char*> cases[] = {
        {"top/a\nother/b\n", ":2: top instance \"other\""},
        {"top/a\n top/b\n", ":2:"},  // blanks are part of the name
        {"top//a\n", ":1: empty instance name"},
        {"/top/a\n", ":1:"},
        {"top/a/\n", ":1:"},
        {"# only comments\n\n", "no instance paths"},
        {"", "no instance paths"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(load_text(c.first, &error), nullptr) << c.first;
        EXPECT_NE(error.find(c.second), std::string::npos) << error;
    }
    STL_STRING message;
    std::string missing = support_temp_path("missing.txt");
    EXPECT_EQ(HDB_HIERARCHY::load(missing.c_str(), &message), nullptr);
    EXPECT_NE(std::string(message.c_str()).find(missing), std::string::npos);
    EXPECT_EQ(HDB_HIERARCHY::load("/", nullptr), nullptr);  // a directory
}
