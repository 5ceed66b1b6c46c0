// STL_STRING against std::string as the oracle, at every length around the
// edge between text kept inside the string and text in storage of its own.
#include <rdbxml/mem_manager.h>
#include <rdbxml/stl_string.h>

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <string>

namespace {

// A text of `n` bytes that differ from one another, with a nul and a byte
// above 0x7f among them once it is long enough.
std::string text_of(std::size_t n, char first = 'a')
{
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text += static_cast<char>(first + i % 23);
    if (n > 3)
        text[2] = '\0';
    if (n > 5)
        text[4] = '\xe9';
    return text;
}

void expect_holds(const STL_STRING& s, const std::string& expected)
{
    EXPECT_EQ(s.size(), expected.size());
    EXPECT_EQ(s.view(), expected);
    EXPECT_EQ(s.c_str()[s.size()], '\0') << "unterminated at " << expected.size();
    EXPECT_GE(s.capacity(), s.size());
}

const std::size_t LENGTHS[] = {0, 1, 7, 14, 15, 16, 17, 30, 31, 64};

}  // namespace

TEST(StlString, EveryOperationMatchesTheStandardStringAcrossTheInlineEdge)
{
    for (std::size_t a : LENGTHS) {
        SCOPED_TRACE("length " + std::to_string(a));
        const std::string ta = text_of(a);
        STL_STRING s(ta.data(), ta.size());
        expect_holds(s, ta);
        STL_STRING copy(s);
        expect_holds(copy, ta);
        STL_STRING moved(std::move(copy));
        expect_holds(moved, ta);
        expect_holds(copy, "");

        for (std::size_t b : LENGTHS) {
            SCOPED_TRACE("with length " + std::to_string(b));
            const std::string tb = text_of(b, 'A');
            const STL_STRING other(tb.data(), tb.size());

            STL_STRING assigned(ta.data(), ta.size());
            assigned = other;
            expect_holds(assigned, tb);
            STL_STRING from_text(ta.data(), ta.size());
            from_text = tb.c_str();
            expect_holds(from_text, tb.substr(0, tb.find('\0')));
            STL_STRING move_assigned(ta.data(), ta.size());
            STL_STRING source(other);
            move_assigned = std::move(source);
            expect_holds(move_assigned, tb);
            expect_holds(source, "");

            STL_STRING appended(ta.data(), ta.size());
            appended.append(other);
            expect_holds(appended, ta + tb);
            appended.append(tb.data(), tb.size());
            expect_holds(appended, ta + tb + tb);

            EXPECT_EQ(s == other, ta == tb);
            EXPECT_EQ(s != other, ta != tb);
            EXPECT_EQ(s < other, ta < tb);
            EXPECT_EQ(other < s, tb < ta);
        }
    }
}

TEST(StlString, PartsOfItselfAreAssignedAppendedAndErased)
{
    for (std::size_t n : LENGTHS) {
        SCOPED_TRACE("length " + std::to_string(n));
        const std::string t = text_of(n);
        // Appending its own text: doubles it, even when that moves it out.
        STL_STRING twice(t.data(), t.size());
        twice.append(twice);
        expect_holds(twice, t + t);
        STL_STRING tail(t.data(), t.size());
        tail.append(tail.c_str() + n / 2, n - n / 2);
        expect_holds(tail, t + t.substr(n / 2));
        // Its own tail as the whole text.
        STL_STRING shifted(t.data(), t.size());
        shifted = shifted.c_str() + n / 3;
        expect_holds(shifted, std::string(t.c_str() + n / 3));
        // Erasing the middle third.
        STL_STRING cut(t.data(), t.size());
        std::string expected = t;
        expected.erase(n / 3, n / 3);
        auto after = cut.erase(cut.begin() + n / 3, cut.begin() + 2 * (n / 3));
        expect_holds(cut, expected);
        EXPECT_EQ(after, cut.begin() + n / 3);
        STL_STRING cleared(t.data(), t.size());
        cleared.clear();
        expect_holds(cleared, "");
    }
}

TEST(StlString, ShortTextsTakeNoStorageAndLongerOnesTheirOwnSize)
{
    unsigned long before = MEM_MANAGER::thread_allocation_count();
    {
        STL_STRING inside(text_of(15).c_str(), 15);
        STL_STRING copy(inside);
        copy = "short";
        copy.append("ened", 4);
        EXPECT_EQ(inside.capacity(), STL_STRING::INLINE_CAPACITY);
        EXPECT_EQ(MEM_MANAGER::thread_allocation_count(), before);
    }
    for (std::size_t n : {16u, 29u, 64u}) {
        const std::string t = text_of(n);
        STL_STRING built(t.data(), t.size());
        EXPECT_EQ(built.capacity(), n);
        STL_STRING assigned;
        assigned = built;
        EXPECT_EQ(assigned.capacity(), n);
    }
    // A run of appends grows by doubling: linear, not one copy per append.
    before = MEM_MANAGER::thread_allocation_count();
    STL_STRING grown;
    for (int i = 0; i < 4096; ++i)
        grown += "x";
    EXPECT_EQ(grown.size(), 4096u);
    EXPECT_LE(MEM_MANAGER::thread_allocation_count() - before, 10u);
    grown.reserve(10000);
    EXPECT_EQ(grown.capacity(), 10000u);
    expect_holds(grown, std::string(4096, 'x'));
}

TEST(StlString, AFailedAllocationThrowsAndLeavesTheStringAsItWas)
{
    const std::string before = text_of(20);
    const std::string longer(40, 'L');
    for (int operation = 0; operation < 4; ++operation) {
        SCOPED_TRACE("operation " + std::to_string(operation));
        STL_STRING s(before.data(), before.size());
        MEM_MANAGER::fail_allocation_after(1);
        try {
            switch (operation) {
            case 0: s = longer.c_str(); break;
            case 1: s.append(longer.data(), longer.size()); break;
            case 2: s.reserve(100); break;
            case 3: s = STL_STRING(longer.data(), longer.size()); break;
            }
            ADD_FAILURE() << "no exception";
        } catch (const std::bad_alloc&) {
        }
        EXPECT_TRUE(MEM_MANAGER::allocation_failed());
        MEM_MANAGER::fail_allocation_after(0);
        expect_holds(s, before);
    }
}

TEST(StlString, ReadsAsAStandardStringWithEveryByte)
{
    const std::string bytes("name\0with nul, caf\xc3\xa9", 20);
    STL_STRING text(bytes.data(), bytes.size());
    std::string_view view = text;
    EXPECT_EQ(view, bytes);
    EXPECT_EQ(text.view().data(), text.c_str());
    EXPECT_EQ(text.str(), bytes);
    std::ostringstream out;
    out << '[' << text << ']';
    EXPECT_EQ(out.str(), "[" + bytes + "]");
    EXPECT_EQ(STL_STRING().view(), std::string_view());
}
