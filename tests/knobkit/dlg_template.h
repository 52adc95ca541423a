/* dlg_template.h -- dialog templates built in memory for the knobkit
 * tests: a caption, a 200 x 200 dialog-unit frame, and items of the
 * predefined classes (or any class by name) added one by one. */
#ifndef VELLUM_DLG_TEMPLATE_H
#define VELLUM_DLG_TEMPLATE_H

#include <windows.h>
#include <string.h>

#include <vector>

class Template {
public:
    Template(DWORD style)
    {
        dword(style);
        dword(0);
        word(0);                   /* item count, patched by item() */
        for (int i = 0; i < 4; i++)
            word(i < 2 ? 10 : 200);
        word(0);                   /* no menu */
        word(0);                   /* the standard dialog class */
        text("knobkit test");
    }
    /* atom: 0x80 button, 0x81 edit, 0x82 static, 0x83 list box,
     * 0x84 scroll bar, 0x85 combo box. */
    Template &item(WORD atom, DWORD style, WORD id, short y, const char *t)
    {
        while (w.size() % 2)
            word(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(4), word(y), word(150), word(atom == 0x85 ? 60 : 10);
        word(id);
        word(0xFFFF), word(atom);
        text(t);
        word(0);
        w[4]++;
        return *this;
    }
    /* A control of a class given by name, at any place and size. */
    Template &custom(const char *cls, DWORD style, WORD id, short x,
                     short y, short cx, short cy, const char *t)
    {
        while (w.size() % 2)
            word(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(x), word(y), word(cx), word(cy);
        word(id);
        text(cls);
        text(t);
        word(0);
        w[4]++;
        return *this;
    }
    const DLGTEMPLATE *get()
    {
        mem.assign(w.size() / 2 + 1, 0);
        memcpy(mem.data(), w.data(), w.size() * sizeof(WORD));
        return (const DLGTEMPLATE *)mem.data();
    }

private:
    std::vector<WORD> w;
    std::vector<DWORD> mem;   /* DWORD-aligned, as the system wants it */
    void word(WORD v) { w.push_back(v); }
    void dword(DWORD v) { word(LOWORD(v)), word(HIWORD(v)); }
    void text(const char *s)
    {
        while (*s)
            word((WORD)*s++);
        word(0);
    }
};

#endif
