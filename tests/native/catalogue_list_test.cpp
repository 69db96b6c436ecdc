#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "catalogue/catalogue_list.h"
#include "tests/native/committed_file.h"

static void collectLine(void* context, const char* text, size_t length)
{
    // Every line must arrive with its terminating zero, ready for the list control.
    EXPECT_EQ(text[length], '\0');
    static_cast<std::vector<std::string>*>(context)->emplace_back(text, length);
}

static std::vector<std::string> listLines(const std::string& file)
{
    std::vector<std::string> lines;
    fillCatalogueList(file.data(), file.size(), collectLine, &lines);
    return lines;
}

static std::string padded(const std::string& name)
{
    return name.size() < 64 ? name + std::string(64 - name.size(), ' ') : name;
}

TEST(CatalogueList, DefaultCatalogueGivesOnePaddedLinePerEntryInFileOrder)
{
    const std::string file = committedFile("resources/satellite.ini");
    ASSERT_EQ(file.size(), 3516u);
    const std::vector<std::string> lines = listLines(file);
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines[0], padded("AMC1   103.0w"));
    EXPECT_EQ(lines[99], padded("Yamal 102/201 90.0e"));
    size_t at = 0;
    for (const std::string& line : lines) {
        const size_t open = file.find('[', at);
        const size_t close = file.find(']', open);
        EXPECT_EQ(line, padded(file.substr(open + 1, close - open - 1)));
        at = close;
    }
}

TEST(CatalogueList, LineEndsDoNotMatterBetweenEntries)
{
    const std::string crlf = committedFile("resources/satellite.ini");
    std::string lfOnly;
    for (char c : crlf) {
        if (c != '\r') {
            lfOnly += c;
        }
    }
    EXPECT_EQ(listLines(lfOnly), listLines(crlf));
}

TEST(CatalogueList, DamagedStructure)
{
    // Text before the first "[" becomes a line of its own.
    EXPECT_EQ(listLines("abc][Sat 1]=3740v29270;\r\n"), (std::vector<std::string>{padded("abc"), padded("Sat 1")}));
    // A file that does not start with "[" still loses nothing of its first name.
    EXPECT_EQ(listLines("Sat]=1;"), std::vector<std::string>{padded("Sat")});
    // A second "]" repeats the name; so does a stray "]" in the parameters.
    EXPECT_EQ(listLines("[Sat]]=1;\r\n"), (std::vector<std::string>{padded("Sat"), padded("Sat")}));
    EXPECT_EQ(listLines("[Sat]=1];\r\n[Two]=2;"),
              (std::vector<std::string>{padded("Sat"), padded("Sat"), padded("Two")}));
    // A "[" inside a name starts it over.
    EXPECT_EQ(listLines("[ab[cd]=1;"), std::vector<std::string>{padded("cd")});
    // Line ends inside a name are part of it.
    EXPECT_EQ(listLines("[a\r\nb]=1;"), std::vector<std::string>{padded("a\r\nb")});
    // Without "]" nothing is listed, and an empty file lists nothing.
    EXPECT_TRUE(listLines("[AMC1   103.0w=3740v29270;\r\n[AMC2").empty());
    EXPECT_TRUE(listLines("").empty());
    EXPECT_EQ(listLines("]"), std::vector<std::string>{std::string(64, ' ')});
}

TEST(CatalogueList, LongNamesAreNotPadded)
{
    for (size_t length : {63u, 64u, 65u, 70u, 255u, 256u}) {
        const std::string name(length, 'N');
        EXPECT_EQ(listLines("[" + name + "]=1;"), std::vector<std::string>{padded(name)}) << length;
    }
    // A long name repeated by a second "]" stays whole.
    const std::string seventy(70, 'x');
    EXPECT_EQ(listLines("[" + seventy + "]]"), (std::vector<std::string>{seventy, seventy}));
}

TEST(CatalogueList, NamesBeyondTheLineBufferKeepTheirFirst256Characters)
{
    std::string name;
    for (int i = 0; i < 300; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    const std::vector<std::string> lines = listLines("[" + name + "]=1;\r\n[Short]=2;\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], name.substr(0, 256));
    // Nothing of the long name leaks into the next, short one.
    EXPECT_EQ(lines[1], padded("Short"));
}

TEST(CatalogueList, ArbitraryBytesGiveOneBoundedLinePerClosingBracket)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string file(random() % 2000, '\0');
        for (char& c : file) {
            // Brackets are made frequent so that names of every length occur.
            const unsigned r = random() % 300;
            c = r == 0 ? '[' : r == 1 ? ']' : static_cast<char>(r);
        }
        size_t closing = 0;
        for (char c : file) {
            closing += c == ']';
        }
        const std::vector<std::string> lines = listLines(file);
        ASSERT_EQ(lines.size(), closing);
        for (const std::string& line : lines) {
            EXPECT_GE(line.size(), 64u);
            EXPECT_LE(line.size(), 256u);
        }
    }
}
