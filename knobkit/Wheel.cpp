/* Wheel.cpp -- the wheel: a rotary knob whose mark sits at the angle of
 * its value, turned around its centre or with the mouse wheel.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Wheel.cpp");

/* The wheel's private data. */
typedef struct WheelData {
    GadRange r;                   /* min, max, pos in degrees */
    int32_t  labelId;             /* companion control, -1 for none */
    HBITMAP  dialImage, markImage, markLitImage;
    HBITMAP  dialMask, markMask, markLitMask;
    float    radiusScale;
    int32_t  lastAngle;           /* pointer angle at the last step */
    int32_t  startPos;            /* pos at the press */
    int32_t  turned;              /* degrees turned since the press */
} WheelData;
