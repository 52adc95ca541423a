/* gallery.h -- the gallery's dialog and control identifiers, shared by
 * gallery.rc and gallery.cpp. */
#ifndef GALLERY_H
#define GALLERY_H

#define IDD_GALLERY    100

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

#define IDC_TURNGROUP  120  /* "Slider and wheel" */
#define IDC_SLIDER     121  /* its text is the knob's value format */
#define IDC_SLIDERVAL  122  /* the slider's companion label */
#define IDC_WHEEL      123
#define IDC_WHEELVAL   124  /* the wheel's companion label */
#define IDC_DOWN       125  /* auto-repeat image buttons: one step down ... */
#define IDC_UP         126  /* ... and up, for the slider and the wheel */
#define IDC_LOCK       127  /* toggle image button: slider and wheel disabled */
#define IDC_LOCKTEXT   128
#define IDC_SIZEGROUP  130  /* "Sizer" */
#define IDC_SIZER      131
#define IDC_SIZERVAL   132  /* the sizer's fractions, in per cent */

#endif
