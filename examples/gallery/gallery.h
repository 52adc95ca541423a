/* gallery.h -- the gallery's dialog and control identifiers, shared by
 * gallery.rc and gallery.cpp.  Every control id is unique across the
 * dialog, its tab pages and the about box, so a test finds each one by
 * its id alone. */
#ifndef GALLERY_H
#define GALLERY_H

#define IDD_GALLERY    100
#define IDD_TURN       200  /* the tab pages, children of the tab control */
#define IDD_SIZE       201
#define IDD_BUTTONS    202
#define IDD_ABOUT      203  /* what the logo opens */
#define IDD_LIST       204  /* the tab page "List" */
#define IDD_KEYS       205  /* a tab page */

#define IDC_TITLE      101  /* bold title */
#define IDC_INTRO      102  /* filled in once the dialog is shown */
#define IDC_GROUP      103
#define IDC_SAMPLE     104  /* the label whose style the controls below set */
#define IDC_ITALIC     105
#define IDC_BLACK      106  /* colour radio buttons, in the order of colours[] */
#define IDC_BLUE       107
#define IDC_RED        108
#define IDC_KINDTEXT   109
#define IDC_KIND       110  /* combo box of the gadget kinds */
#define IDC_KINDINFO   111  /* the combo box's value, in words */
#define IDC_MINIMIZE   112  /* caption buttons of the caption-less dialog */
#define IDC_CLOSEBOX   113
#define IDC_TABS       114  /* the tab gadget holding the pages */
#define IDC_PAGEINFO   115  /* which page was left and which entered */
#define IDC_CAPTURE    181  /* saves the dialog as gallery.bmp beside it */

/* Page "Turn" */
#define IDC_TURNGROUP  120  /* "Slider and wheel" */
#define IDC_SLIDER     121  /* its text is the knob's value format */
#define IDC_SLIDERVAL  122  /* the slider's companion label */
#define IDC_WHEEL      123
#define IDC_WHEELVAL   124  /* the wheel's companion label */
#define IDC_DOWN       125  /* auto-repeat image buttons: one step down ... */
#define IDC_UP         126  /* ... and up, for the slider and the wheel */
#define IDC_LOCK       127  /* toggle image button: slider and wheel disabled */
#define IDC_LOCKTEXT   128
#define IDC_SHOWGROUP  140  /* "LED and progress bar" */
#define IDC_LED        141  /* the slider's value, and a scrolling line */
#define IDC_BAR        142  /* the wheel's position; its text is the format */
#define IDC_BARVAL     143  /* the bar's companion label */

/* Page "Size" */
#define IDC_SIZEGROUP  130  /* "Sizer" */
#define IDC_SIZER      131
#define IDC_SIZERVAL   132  /* the sizer's fractions, in per cent */

/* Page "Buttons": factory gadgets */
#define IDC_LAMPGROUP  150
#define IDC_LAMP1      151  /* four lamps, one of them lit */
#define IDC_LAMP2      152
#define IDC_LAMP3      153
#define IDC_LAMP4      154
#define IDC_PREV       155  /* arrows moving the light */
#define IDC_NEXT       156
#define IDC_LAMPTEXT   157
#define IDC_MUTEGROUP  158
#define IDC_MUTE       159  /* the mute toggle */
#define IDC_MUTETEXT   160
#define IDC_LOGOGROUP  161
#define IDC_LOGO       162  /* the maker's logo: GM_ABOUT */
#define IDC_LOGOTEXT   163

/* Page "Keys" */
#define IDC_KEYGROUP   190  /* "Hotkey field" */
#define IDC_KEYHINT    191
#define IDC_HOTKEY     192  /* the edit control made a hotkey field */
#define IDC_HOTKEYTEXT 193  /* the field's combination, in words */

/* The language: a button opening the library's chooser */
#define IDC_LANGUAGE   180

/* Page "List" */
#define IDC_LISTGROUP  210
#define IDC_GLIST      211  /* the list gadget of the gallery's gadgets */
#define IDC_LISTUP     212  /* push buttons moving the selection ... */
#define IDC_LISTDOWN   213
#define IDC_LISTDEL    214  /* ... and deleting it */
#define IDC_LISTINFO   215  /* the current item, in words */
#define IDC_LISTORDER  216  /* the first names, in their order */

/* The about box */
#define IDC_ABOUTLOGO  170
#define IDC_ABOUTTEXT  171

#endif
