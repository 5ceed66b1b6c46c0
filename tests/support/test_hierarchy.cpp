// The instance hierarchy: loading from a file of instance paths, full
// paths, and both kinds of relative search.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "hdb_instance.h"
#include "support_fixtures.h"

namespace {

std::unique_ptr<HDB_HIERARCHY> load_text(const std::string& text, std::string* error = nullptr)
{
    std::string path = support_temp_path("hierarchy.txt");
    support_write_file(path, text);
    STL_STRING message;
    std::unique_ptr<HDB_HIERARCHY> hierarchy = HDB_HIERARCHY::load(path.c_str(), &message);
    if (error != nullptr)
        *error = message.c_str();
    return hierarchy;
}

std::string path_of(const HDB_INSTANCE_NAME* instance)
{
    return instance != nullptr ? instance->full_path().c_str() : "(none)";
}

const char* const DESIGN =
    "# a small design\r\n"
    "top/cpu/alu/add\r\n"
    "\r\n"
    "top/cpu/regs\n"
    "   \n"
    "top/mem/alu/add\n"
    "top/mem/ctrl/cpu/alu\n"
    "top\n"
    "top/cpu/alu/mul\n";

}  // namespace

TEST(Hierarchy, LoadsTheTreeInFileOrder)
{
    std::unique_ptr<HDB_HIERARCHY> h = load_text(DESIGN);
    ASSERT_NE(h, nullptr);
    HDB_INSTANCE_NAME* top = h->top();
    EXPECT_EQ(path_of(top), "top");
    EXPECT_EQ(top->parent(), nullptr);
    EXPECT_EQ(h->action_point()->get_m_rooted_at(), top);
    ASSERT_EQ(top->children().size(), 2u);
    EXPECT_STREQ(top->children()[1]->name().c_str(), "mem");
    HDB_INSTANCE_NAME* alu = top->find_child("cpu")->find_child("alu");
    ASSERT_EQ(alu->children().size(), 2u);  // "add" once, though named on two lines
    EXPECT_EQ(path_of(alu->children()[1]), "top/cpu/alu/mul");
    EXPECT_EQ(top->find_child("nothing"), nullptr);

    // Many children are found by name, and later additions by searches.
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "top/block" + std::to_string(i) + "/leaf" + std::to_string(i % 7) + "\n";
    h = load_text(text + "top/block5/late\n");
    ASSERT_NE(h, nullptr);
    top = h->top();
    ASSERT_EQ(top->children().size(), 200u);
    EXPECT_STREQ(top->children()[150]->name().c_str(), "block150");
    EXPECT_EQ(path_of(top->find_child("block199")), "top/block199");
    EXPECT_EQ(top->find_child("block5")->children().size(), 2u);
    EXPECT_EQ(path_of(top->find_in_descendants("leaf3", true)), "top/block3/leaf3");
    EXPECT_EQ(path_of(top->find_in_descendants("block104/leaf6", false)), "top/block104/leaf6");
    EXPECT_EQ(top->find_in_descendants("x", true), nullptr);
    top->find_child("block9")->add_child("x");
    top->add_child("late")->add_child("x");
    EXPECT_EQ(path_of(top->find_in_descendants("x", true)), "top/block9/x");
    EXPECT_EQ(path_of(top->find_child("late")->find_in_descendants("x", true)), "top/late/x");
}

TEST(Hierarchy, SearchesFromRightBelowOrFromAnyDepth)
{
    std::unique_ptr<HDB_HIERARCHY> h = load_text(DESIGN);
    ASSERT_NE(h, nullptr);
    HDB_INSTANCE_NAME* top = h->top();
    HDB_INSTANCE_NAME* mem = top->find_child("mem");
    // Paths are relative; from any depth the first match in file order wins,
    // though "cpu/alu" also stands below ctrl; and only an instance's own
    // descendants count.
    const struct {
        HDB_INSTANCE_NAME* from;
        const char* path;
        bool any_depth;
        const char* found;
    } cases[] = {
        {top, "cpu/alu/add", false, "top/cpu/alu/add"}, {top, "mem", false, "top/mem"},
        {top, "alu/add", false, "(none)"},              {top, "top/cpu", false, "(none)"},
        {mem, "alu/add", false, "top/mem/alu/add"},     {top, "alu/add", true, "top/cpu/alu/add"},
        {top, "alu", true, "top/cpu/alu"},              {top, "cpu/alu/add", true, "top/cpu/alu/add"},
        {top, "cpu/alu", true, "top/cpu/alu"},          {top, "alu/mul", true, "top/cpu/alu/mul"},
        {top, "add/alu", true, "(none)"},               {top, "top", true, "(none)"},
        {top, "", true, "(none)"},                      {top, "alu//add", true, "(none)"},
        {mem, "alu/add", true, "top/mem/alu/add"},      {mem, "cpu/alu", true, "top/mem/ctrl/cpu/alu"},
        {mem, "regs", true, "(none)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(path_of(c.from->find_in_descendants(c.path, c.any_depth)), c.found) << c.path;
}

TEST(Hierarchy, BadFilesAreRefusedWithAReason)
{
    std::string error;
    EXPECT_EQ(load_text("top/a\nother/b\n", &error), nullptr);
    EXPECT_NE(error.find(":2: top instance \"other\""), std::string::npos) << error;
    EXPECT_EQ(load_text("top/a\n top/b\n", &error), nullptr);  // blanks are part of the name
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
    EXPECT_EQ(load_text("top//a\n", &error), nullptr);
    EXPECT_NE(error.find(":1: empty instance name"), std::string::npos) << error;
    EXPECT_EQ(load_text("/top/a\n", &error), nullptr);
    EXPECT_EQ(load_text("top/a/\n", &error), nullptr);
    EXPECT_EQ(load_text("# only comments\n\n", &error), nullptr);
    EXPECT_NE(error.find("no instance paths"), std::string::npos) << error;
    EXPECT_EQ(load_text("", &error), nullptr);

    STL_STRING message;
    std::string missing = support_temp_path("missing.txt");
    EXPECT_EQ(HDB_HIERARCHY::load(missing.c_str(), &message), nullptr);
    EXPECT_NE(std::string(message.c_str()).find(missing), std::string::npos);
    std::string directory = support_temp_path("dir");
    ASSERT_EQ(::mkdir(directory.c_str(), 0755), 0);
    EXPECT_EQ(HDB_HIERARCHY::load(directory.c_str(), nullptr), nullptr);
    ::rmdir(directory.c_str());
}
