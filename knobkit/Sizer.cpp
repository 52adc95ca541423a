/* Sizer.cpp -- the sizer: a rectangle inside its control, moved by its
 * inside and sized by eight handles, kept in fractions of the control.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Sizer.cpp");

/* The sizer's private data. */
typedef struct SizerData {
    float    x, y, width, height;        /* the knob, in fractions */
    float    minX, minY, maxX, maxY;
    float    minWidth, minHeight, maxWidth, maxHeight;
    int32_t  handleSize;
    COLORREF frameColor, outsideColor, insideColor;
    int32_t  pressX, pressY;
    RECT     pressRect;
    uint32_t dragMode;                   /* SZ_... */
} SizerData;
