/* Slider.cpp -- the slider: a track and a raised knob carrying the value
 * text, dragged, clicked or turned with the wheel.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Slider.cpp");

/* The slider's private data. */
typedef struct SliderData {
    GadRange r;                   /* min, max, pos */
    int32_t  labelId;             /* companion control, -1 for none */
    int32_t  knobWidth, knobHeight;
    uint32_t knobSize;            /* points, or SLIDER_FITTEXT */
    int32_t  pressX, pressY;
    int32_t  lastX, lastY;
    int32_t  grabX, grabY;
    int32_t  knobPos;             /* offset along the track (smooth) */
} SliderData;

void slider_CalcKnob(Gadget *)
{
}

extern "C" int KKAPI slider_GetPos(const Gadget *g)
{
    return g ? gad_Data<GadRange>(g)->pos : 0;
}
