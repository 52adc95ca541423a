/* script_short.h -- the engine's shorthands for its one state record
 * (script_int.h): S for the record, SC for the scanner's current mark.
 * For the engine's own files and its white-box test, included after every
 * other header, since a one-letter macro would rewrite theirs. */
#ifndef VELLUM_SCRIPT_SHORT_H
#define VELLUM_SCRIPT_SHORT_H

#include "script_int.h"

#define S  ScriptState
#define SC ScriptState.Scan.Mark

#endif
