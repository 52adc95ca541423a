/* script_int.h -- the engine's one record, shared by its modules (and read
 * by the tests).  Not part of the interface for hosts. */
#ifndef VELLUM_SCRIPT_INT_H
#define VELLUM_SCRIPT_INT_H

#include "script.h"

/* Token kinds.  The names are printed by "Expected %s" messages. */
enum {
    TK_IDENT, TK_INT, TK_STRING, TK_PLUS, TK_MINUS, TK_STAR, TK_SLASH,
    TK_DEC, TK_INC, TK_ADDSET, TK_SUBSET, TK_MULSET, TK_DIVSET,
    TK_EQ, TK_NE, TK_LT, TK_LE, TK_GT, TK_GE, TK_SET, TK_AND, TK_OR,
    TK_NOT, TK_SEMI, TK_COLON, TK_COMMA, TK_LPAREN, TK_RPAREN,
    TK_LBRACE, TK_RBRACE, TK_RETURN, TK_IF, TK_ELSE, TK_FOR, TK_WHILE,
    TK_CONTINUE, TK_BREAK, TK_DEFINE, TK_VAR, TK_EOF,
    TK_COUNT
};

#define SCRIPT_SLOT_SIZE (SCRIPT_STRING_MAX + 1)

/* Where the scanner stands, without the string slots: what a look-ahead of
 * one token needs to save (see script_Eval). */
typedef struct ScriptMark {
    const char   *Next;       /* next unread character */
    int           Position;   /* characters read; current one at -1 */
    unsigned char Char;       /* the character read last */
    int           Token;      /* kind of the current token */
    char          Ident[SCRIPT_IDENT_MAX + 1];  /* last name; may be stale */
    int           SlotIndex;  /* slot of the latest string literal */
    int32_t       IntValue;   /* value of the latest int const */
} ScriptMark;

/* The scanner, and a saved copy of it: restoring a cursor brings back the
 * string slots too.  Every change of a slot gives it a new stamp from one
 * counter that never goes back, so equal stamps mean equal bytes: cursor
 * copies move only the slots that differ (a loop that scans no literal
 * copies no slot). */
typedef struct ScriptCursor {
    ScriptMark    Mark;
    char          Slots[SCRIPT_SLOTS][SCRIPT_SLOT_SIZE];
    uint64_t      Stamps[SCRIPT_SLOTS];
} ScriptCursor;

typedef struct ScriptConstant {
    char    Name[SCRIPT_IDENT_MAX + 1];
    int32_t Value;
} ScriptConstant;

/* Variables have one place per function, not per call: locals keep their
 * values from one call to the next, and a call that re-enters a running
 * function shares them. */
typedef struct ScriptFunction {
    char         Name[SCRIPT_IDENT_MAX + 1];
    ScriptCursor Body;            /* at the "{" of the body */
    int          ParamCount;
    char         ParamNames[SCRIPT_MAX_PARAMS][SCRIPT_IDENT_MAX + 1];
    ScriptValue  ParamValues[SCRIPT_MAX_PARAMS];
    int          LocalCount;
    char         LocalNames[SCRIPT_MAX_LOCALS][SCRIPT_IDENT_MAX + 1];
    ScriptValue  LocalValues[SCRIPT_MAX_LOCALS];
} ScriptFunction;

typedef struct ScriptStateRec {
    char           *Text;          /* the script, folded in place */
    int             TokenStart;    /* offset of the current token */
    ScriptCursor    Scan;          /* the scanner proper */
    ScriptConstant  Constants[SCRIPT_MAX_CONSTANTS];
    int             ConstantCount;
    ScriptFunction  Functions[SCRIPT_MAX_FUNCTIONS];
    int             FunctionCount;
    int             CheckMode;     /* compiling: dry run */
    int             LoopDepth;     /* loops around the statement checked */
    int             CurrentFunction;
    int             ErrorFlag;     /* sticky until script_Rewind */
    int             Halted;        /* stopped by a limit: no more boxes */
    ScriptValue     ArgStage[SCRIPT_MAX_PARAMS];
    ScriptValue     ReturnValue;
    int             Builtin;       /* row of the running handler, or -1 */
    int             Depth;         /* nesting now; SCRIPT_MAX_DEPTH */
    int             CursorTop;     /* cursors in use */
    ScriptCursor    Cursors[SCRIPT_MAX_CURSORS]; /* held by loops and calls */
    uint64_t        Stamp;         /* last slot stamp given out */
    /* Texts that crossed a call, as arguments or results, used in turn:
     * outside the scanner, so that no cursor restore takes them back. */
    char            Crossed[SCRIPT_SLOTS][SCRIPT_SLOT_SIZE];
    int             CrossedIndex;
    long long       Steps;         /* statements run since Prepare */
    long long       StepLimit;     /* 0: none */
    ScriptHost      Host;
} ScriptStateRec;

extern ScriptStateRec ScriptState;

/* Messages raised from more than one module, stored once. */
extern const char script_MsgEof[];     /* "Unexpected end of file" */
extern const char script_MsgDeep[];    /* "Nesting too deep" */

/* Between the engine's modules. */
int  script_ReadChar(void);
void script_NextToken(void);
void script_Rewind(void);
void script_Fold(char *text);
void script_SaveCursor(ScriptCursor *c);
void script_RestoreCursor(const ScriptCursor *c);
void script_SaveMark(ScriptMark *m);
void script_RestoreMark(const ScriptMark *m);
int  script_Check(void);
/* Passes tokens up to the next ";" and consumes it. */
void script_PassSemicolon(void);
int  script_AddConstant(const char *name, int32_t value);
int  script_FindConstant(const char *name, int32_t *value);
int  script_AddFunction(const char *name);
int  script_FindFunction(const char *name);
int  script_IsVar(const char *name);
ScriptValue script_GetVar(const char *name);
void script_SetVar(const char *name, ScriptValue value);
int  script_NameEqual(const char *a, const char *b);  /* ignoring case */
/* Passes the "{ }" block at the current "{", calling step for each
 * statement inside, and consumes the "}"; an error stops it (script_Skip
 * and script_Check use it). */
void script_Block(void (*step)(void));
/* strnlen: the Windows runtime setup links against has none, and mingw's
 * own copy carries an unwind record (1 KB of setup.exe on win64). */
size_t script_Length(const char *text, size_t max);
/* Stops the script at one of the engine's own limits (nesting, steps):
 * one box, then silence until script_Rewind, since every statement and
 * call on the way out would otherwise add an "Expected" box of its own. */
void script_Halt(const char *message);
/* Depth guard: 1 entered (leave with script_Leave), 0 reported. */
int  script_Enter(void);
void script_Leave(void);
/* A cursor of the pool, or null after reporting "Nesting too deep". */
ScriptCursor *script_PushCursor(void);
void script_PopCursor(void);
/* Where a text value lives: the start of its buffer (a scanner slot or a
 * crossed text) and the bytes from the value to the buffer's end; *slot is
 * the scanner slot, or -1.  0 when the value is no text address. */
int  script_TextPlace(ScriptValue value, char **buffer, size_t *room,
                      int *slot);
/* A copy of text in the next crossed-text buffer; gives its address. */
ScriptValue script_CrossText(const char *text);

#endif
