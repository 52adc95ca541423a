/* exclude.cpp -- glob patterns for what a build leaves out (exclude.h). */
#include "exclude.h"
#include "ident.h"

MODULE_IDENT("tools/vpack/exclude.cpp");

#define SUMMARY_NAMES 8   /* names the summary shows before "and N more" */

const char *const exclude_Defaults[] = {
    ".git", ".svn", ".hg", "CVS", "?*~", "*.bak", "*.swp", ".DS_Store",
    "Thumbs.db", NULL,
};

static char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c;
}

/* glob against the whole of text; neither '*' nor '?' takes a '/'.  A
 * star is only ever taken back within its own part: no star crosses a
 * '/', so the parts of pattern and text pair up one to one. */
static bool glob(const char *p, const char *t)
{
    const char *star = NULL, *resume = NULL;
    while (*t) {
        if (*p == '*') {
            star = ++p;
            resume = t;
        } else if (*p && (*p == '?' ? *t != '/' : lower(*p) == lower(*t))) {
            p++;
            t++;
        } else if (star && *resume != '/') {
            p = star;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        p++;
    return *p == 0;
}

/* The pattern as matched: '/' for '\', no leading '/', and whether it
 * names folders only (a trailing '/', dropped). */
static std::string normal(const std::string &pattern, bool *foldersOnly)
{
    std::string p = pattern;
    for (char &c : p)
        if (c == '\\')
            c = '/';
    size_t start = p.find_first_not_of('/');
    p = start == std::string::npos ? "" : p.substr(start);
    *foldersOnly = !p.empty() && p.back() == '/';
    while (!p.empty() && p.back() == '/')
        p.pop_back();
    return p;
}

std::string exclude_Check(const std::string &pattern)
{
    bool foldersOnly;
    std::string p = normal(pattern, &foldersOnly);
    if (p.empty())
        return "the pattern '" + pattern + "' names nothing";
    if (p.find("//") != std::string::npos)
        return "the pattern '" + pattern + "' has an empty part";
    return "";
}

const char *exclude_Match(const std::vector<std::string> &patterns,
                          const std::string &path, bool folder)
{
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (const std::string &pattern : patterns) {
        bool foldersOnly;
        std::string p = normal(pattern, &foldersOnly);
        if (p.empty() || (foldersOnly && !folder))
            continue;
        bool anchored = p.find('/') != std::string::npos;
        if (glob(p.c_str(), anchored ? path.c_str() : name.c_str()))
            return pattern.c_str();
    }
    return NULL;
}

std::string exclude_Summary(const std::vector<std::string> &paths,
                            const std::vector<bool> &folders)
{
    if (paths.empty())
        return "";
    std::string s = "excluded " + std::to_string(paths.size()) + ":";
    for (size_t i = 0; i < paths.size() && i < SUMMARY_NAMES; i++)
        s += std::string(i ? ", " : " ") + paths[i] +
             (folders[i] ? " (folder)" : "");
    if (paths.size() > SUMMARY_NAMES)
        s += ", and " + std::to_string(paths.size() - SUMMARY_NAMES) + " more";
    return s;
}
