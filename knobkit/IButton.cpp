/* IButton.cpp -- the image button: a push button drawn from pictures,
 * whose shape is its normal picture's opaque pixels.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/IButton.cpp");

/* The image button's private data. */
typedef struct IButtonData {
    uint32_t down;          /* 0 up, else down; the first word */
    HBITMAP  normalImage, pressedImage, iconImage;
    HBITMAP  normalMask, pressedMask, iconMask;
    uint32_t repeatTicks;   /* auto-repeat ticks since the press */
} IButtonData;

extern "C" uint32_t KKAPI ibtn_GetState(const Gadget *g)
{
    return g ? gad_Data<IButtonData>(g)->down : 0;
}
