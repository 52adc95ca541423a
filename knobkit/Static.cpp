/* Static.cpp -- the image static and the tab gadget.  For now the tab's
 * page table, which the dialog procedure switches and releases.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Static.cpp");

/* A tab gadget's private data. */
typedef struct TabData {
    TabPage *pages;     /* the client's table, ended by a null title */
} TabData;

TabPage *tab_Pages(const Gadget *g)
{
    return g && GAD_KIND(g) == GAD_TAB ? gad_Data<TabData>(g)->pages : NULL;
}

void tab_DestroyPages(TabPage *pages)
{
    for (TabPage *p = pages; p && p->title; p++) {
        if (p->pageWnd)
            DestroyWindow(p->pageWnd);
        p->pageWnd = NULL;
    }
}
