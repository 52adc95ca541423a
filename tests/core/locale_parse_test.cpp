/* locale_parse_test.cpp -- locale files cut into sections and entries,
 * natively under AddressSanitizer: each file is copied into a buffer of
 * exactly its size and a NUL, so any byte read or written beyond it
 * stops the test.  Every row lists what each section gives, entry by
 * entry, and all of it is compared whole. */
#include "locale_parse.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Lines;

std::string lines_Show(const Lines &v)
{
    std::string s;
    for (const std::string &e : v)
        s += "    " + e + "\n";
    return s.empty() ? "    (nothing)\n" : s;
}

/* Visible CR and LF. */
std::string text_Show(const char *p)
{
    std::string s;
    for (; *p; p++)
        s += *p == '\r' ? std::string("<CR>")
             : *p == '\n' ? std::string("<LF>")
                          : std::string(1, *p);
    return s;
}

/* One file, parsed in a buffer of its exact size and a NUL. */
struct Parsed {
    std::unique_ptr<char[]> text;
    uint32_t size;
    char *countries[LOCALE_COUNTRIES] = {};
    char *strings[LOCALE_STRINGS] = {};
    char *tooltips[LOCALE_STRINGS] = {};
    int n;

    explicit Parsed(const std::string &file)
        : text(new char[file.size() + 1]), size((uint32_t)file.size())
    {
        memcpy(text.get(), file.data(), file.size());
        text[file.size()] = 0;
        n = locale_ParseText(text.get(), size, countries);
    }
    bool inside(const char *p) const
    {
        return p >= text.get() && p <= text.get() + size;
    }
    /* Section i read on top of what the tables hold: "012 Open @tip". */
    Lines choose(int i)
    {
        locale_ReadSection(text.get(), size, countries[i], strings, tooltips);
        return entries();
    }
    Lines entries() const
    {
        Lines v;
        for (int id = 0; id < LOCALE_STRINGS; id++) {
            if (!strings[id] && !tooltips[id])
                continue;
            char s[16];
            snprintf(s, sizeof s, "%03d ", id);
            std::string e = s;
            e += strings[id] ? text_Show(strings[id]) : "(no text)";
            if (tooltips[id])
                e += " @" + text_Show(tooltips[id]);
            v.push_back(e);
        }
        return v;
    }
    Lines names() const
    {
        Lines v;
        for (int i = 0; i < n; i++)
            v.push_back(countries[i]);
        return v;
    }
};

#define EXPECT_LINES(got, want, row)                                        \
    EXPECT_TRUE((got) == (want)) << "row " << (row) << "\n  got:\n"         \
                                 << lines_Show(got) << "  expected:\n"      \
                                 << lines_Show(want)

}  // namespace

/* NUL bytes inside a line and at a line's start, and in a name. */
const char nulFile[] = "[E]\r\n012 Op\0en@tip\r\n\0" "013 x\r\n014 y\r\n"
                       "[F\0G]\r\n015 z\r\n";

/* Sections and their entries, by row: the names in file order, then what
 * each section gives when chosen on its own. */
TEST(LocaleParse, SectionsAndEntries)
{
    struct Row {
        const char *name;
        std::string file;
        Lines names;
        std::vector<Lines> sections;
    };
    const Row rows[] = {
        {"a text with a tooltip, one without",
         "[English]\r\n012 Open@Opens a file\r\n013 Close\r\n",
         {"English"},
         {{"012 Open @Opens a file", "013 Close"}}},
        {"backquotes: two a CR LF, one a LF, in texts and tooltips",
         "[E]\r\n014 one``two`three@a``b`c\r\n015 ```x\r\n",
         {"E"},
         {{"014 one<CR><LF>two<LF>three @a<CR><LF>b<LF>c",
           "015 <CR><LF><LF>x"}}},
        {"LF-only line ends",
         "[E]\n012 Open@Tip\n013 Close\n[F]\n012 Ouvrir\n",
         {"E", "F"},
         {{"012 Open @Tip", "013 Close"}, {"012 Ouvrir"}}},
        {"CR-only line ends and blank lines",
         "[E]\r\r012 Open\r\r\n\n013 Close@Shut\r",
         {"E"},
         {{"012 Open", "013 Close @Shut"}}},
        {"comments, one with a tab; // inside a text is text",
         "// head\r\n[E]\r\n//\tcomment 099 x\r\n012 a // b\r\n//013 no\r\n",
         {"E"},
         {{"012 a // b"}}},
        {"entries before the first section belong to none",
         "012 orphan\r\n[E]\r\n013 mine\r\n",
         {"E"},
         {{"013 mine"}}},
        {"lines shorter than their digits or not starting with three",
         "[E]\r\n12\r\n1\r\n012\r\n01\r\nab3 x\r\n 014 x\r\n1a2 x\r\n"
         "015 \r\n016  two blanks\r\n",
         {"E"},
         {{"015 ", "016  two blanks"}}},
        {"only the first at sign starts the tooltip",
         "[E]\r\n015 a@b@c@\r\n016 x@@y\r\n",
         {"E"},
         {{"015 a @b@c@", "016 x @@y"}}},
        {"an empty tooltip is none",
         "[E]\r\n016 a@\r\n017 @only a tooltip\r\n",
         {"E"},
         {{"016 a", "017  @only a tooltip"}}},
        {"a later entry of an identifier replaces the earlier",
         "[E]\r\n012 first@tip\r\n012 second\r\n",
         {"E"},
         {{"012 second"}}},
        {"a section name without its ] ends with its line",
         "[English\r\n012 x\r\n",
         {"English"},
         {{"012 x"}}},
        {"what follows the ] is not the next line",
         "[E] more text\r\n012 x\n[F]\n013 y",
         {"E", "F"},
         {{"012 x"}, {"013 y"}}},
        {"an empty section name; a section without entries",
         "[]\r\n000 zero\r\n999 last\r\n[Empty]\r\n",
         {"", "Empty"},
         {{"000 zero", "999 last"}, {}}},
        {"the file ends inside an entry's text",
         "[E]\r\n012 Op",
         {"E"},
         {{"012 Op"}}},
        {"the file ends inside a tooltip",
         "[E]\r\n012 Op@ti",
         {"E"},
         {{"012 Op @ti"}}},
        {"the file ends inside a section name",
         "[E]\r\n012 a\r\n[Fren",
         {"E", "Fren"},
         {{"012 a"}, {}}},
        {"the file ends after the digits",
         "[E]\r\n012 a\r\n013",
         {"E"},
         {{"012 a"}}},
        {"a NUL byte cuts its line; the next lines still count",
         std::string(nulFile, sizeof nulFile - 1),
         {"E", "F"},
         {{"012 Op", "014 y"}, {"015 z"}}},
        {"a [ in a tooltip or a text does not end the section",
         "[E]\r\n012 a@[b\r\n013 [c\r\n014 d\r\n",
         {"E"},
         {{"012 a @[b", "013 [c", "014 d"}}},
        {"the separator may be any character, an at sign too",
         "[E]\r\n012@tip\r\n013`x\r\n014\tt\r\n",
         {"E"},
         {{"012 tip", "013 x", "014 t"}}},
    };
    for (const Row &r : rows) {
        Parsed p(r.file);
        EXPECT_LINES(p.names(), r.names, r.name);
        for (size_t i = 0; i < r.sections.size() && (int)i < p.n; i++) {
            Parsed one(r.file);
            EXPECT_LINES(one.choose((int)i), r.sections[i],
                         std::string(r.name) + ", section " +
                             std::to_string(i));
            for (int id = 0; id < LOCALE_STRINGS; id++)
                EXPECT_TRUE((!one.strings[id] || one.inside(one.strings[id])) &&
                            (!one.tooltips[id] || one.inside(one.tooltips[id])))
                    << "row " << r.name << ": identifier " << id
                    << " points outside the text";
        }
    }
}

/* Choosing section 1 after section 0 keeps the texts of section 0 that
 * section 1 lacks, and replaces the tooltips of those it has. */
TEST(LocaleParse, ChoosingAgainKeepsWhatTheSectionLacks)
{
    Parsed p("[English]\r\n010 OK\r\n011 Cancel@Stops\r\n012 Open@Opens\r\n"
             "[Deutsch]\r\n011 Abbrechen\r\n012 \xd6" "ffnen@\xd6" "ffnet\r\n");
    ASSERT_EQ(2, p.n);
    p.choose(0);
    Lines want = {"010 OK", "011 Abbrechen",
                  "012 \xd6" "ffnen @\xd6" "ffnet"};
    EXPECT_LINES(p.choose(1), want, "section 1 after 0");
    want = {"010 OK", "011 Cancel @Stops", "012 Open @Opens"};
    EXPECT_LINES(p.choose(0), want, "section 0 again");
}

/* More than a hundred sections: the first hundred count, and the last of
 * them ends where the hundred-and-first begins. */
TEST(LocaleParse, SectionsPastTheHundredthAreSkipped)
{
    std::string file;
    for (int i = 0; i < 150; i++) {
        char s[64];
        snprintf(s, sizeof s, "[L%d]\r\n%03d text %d\r\n", i, i, i);
        file += s;
    }
    Parsed p(file);
    ASSERT_EQ(LOCALE_COUNTRIES, p.n);
    EXPECT_STREQ("L0", p.countries[0]);
    EXPECT_STREQ("L99", p.countries[99]);
    Lines want = {"099 text 99"};
    EXPECT_LINES(p.choose(99), want, "section 99");
}

/* A file of several MB: a thousand sections of a thousand long entries
 * (only the first hundred sections count), and lines of hostile shapes
 * between them. */
TEST(LocaleParse, SeveralMegabytes)
{
    std::string file, filler(40, 'x');
    for (int s = 0; s < 1000 && file.size() < 6000000; s++) {
        file += "[S" + std::to_string(s) + "]\n";
        for (int id = 0; id < 100; id++) {
            char e[128];
            snprintf(e, sizeof e, "%03d %s%d@t%d@``\n12\n@@\n", id * 10,
                     filler.c_str(), s, id);
            file += e;
        }
    }
    ASSERT_GT(file.size(), 5000000u);
    Parsed p(file);
    ASSERT_EQ(LOCALE_COUNTRIES, p.n);
    p.choose(42);
    EXPECT_EQ(filler + "42", p.strings[990]);
    EXPECT_STREQ("t99@<CR><LF>", text_Show(p.tooltips[990]).c_str());
    EXPECT_TRUE(p.strings[991] == NULL);
}
