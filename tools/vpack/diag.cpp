/* diag.cpp -- the script as setup reads it (CR LF line ends), and findings
 * at the line and column of the file as written. */
#include "diag.h"
#include "ident.h"

#include <algorithm>

MODULE_IDENT("tools/vpack/diag.cpp");

size_t diag_CrLf(const std::string &data, std::string *out,
                 std::vector<size_t> *added)
{
    size_t changed = 0;
    out->clear();
    out->reserve(data.size() + data.size() / 32);
    for (size_t i = 0; i < data.size(); i++) {
        char c = data[i];
        bool pair = c == '\r' && i + 1 < data.size() && data[i + 1] == '\n';
        if (c == '\n' || (c == '\r' && !pair)) {
            /* A line feed gets its carriage return, a carriage return
             * alone (old Mac files) its line feed. */
            if (added)
                added->push_back(out->size() + (c == '\r'));
            *out += "\r\n";
            changed++;
        } else if (pair) {
            *out += "\r\n";
            i++;
        } else {
            *out += c;
        }
    }
    return changed;
}

void diag_Load(DiagScript *s, const std::string &file,
               const std::string &written)
{
    s->file = file;
    s->written = written;
    s->added.clear();
    std::string text;
    diag_CrLf(written, &text, &s->added);
    s->text.assign(text.begin(), text.end());
    s->text.push_back(0);
}

/* The offset in written of an offset in text: an added byte stands for
 * the line end it completes. */
static size_t written_offset(const DiagScript &s, size_t offset)
{
    auto at = std::lower_bound(s.added.begin(), s.added.end(), offset);
    size_t before = (size_t)(at - s.added.begin());
    size_t w = offset - before;
    if (at != s.added.end() && *at == offset && offset < s.text.size() &&
        s.text[offset] == '\n')
        w--;   /* the line feed after a lone CR: that CR */
    return std::min(w, s.written.size());
}

static bool line_end(const std::string &t, size_t i)
{
    return t[i] == '\n' || (t[i] == '\r' && (i + 1 >= t.size() || t[i + 1] != '\n'));
}

DiagPlace diag_Place(const DiagScript &s, size_t offset)
{
    const std::string &t = s.written;
    size_t w = written_offset(s, offset);
    DiagPlace p = {1, 1, 0, 0};
    for (size_t i = 0; i < w; i++) {
        if (line_end(t, i)) {
            p.line++;
            p.column = 1;
            p.begin = i + 1;
        } else {
            p.column++;
        }
    }
    p.end = p.begin;
    while (p.end < t.size() && t[p.end] != '\r' && t[p.end] != '\n')
        p.end++;
    return p;
}

void diag_Print(FILE *to, const DiagScript &s, size_t offset, const char *kind,
                const std::string &text)
{
    DiagPlace p = diag_Place(s, offset);
    fprintf(to, "%s:%ld:%ld: %s: %s\n", s.file.c_str(), p.line, p.column, kind,
            text.c_str());
    fwrite(s.written.data() + p.begin, 1, p.end - p.begin, to);
    /* Tabs stay tabs, so that the caret lines up however they are shown. */
    std::string caret;
    for (long i = 0; i < p.column - 1; i++) {
        size_t at = p.begin + (size_t)i;
        caret += at < p.end && s.written[at] == '\t' ? '\t' : ' ';
    }
    fprintf(to, "\n%s^\n", caret.c_str());
}

size_t diag_Distance(const std::string &a, const std::string &b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); j++) {
            size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                               diagonal + (a[i - 1] != b[j - 1])});
            diagonal = up;
        }
    }
    return row[b.size()];
}
