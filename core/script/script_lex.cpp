/* script_lex.cpp -- the scanner: case folding, tokens, cursors.
 *
 * Tokens are pulled straight from the text, one at a time; nobody keeps a
 * token list.  String literals land in eight slots used in turn, and those
 * slots are the script's only text storage.
 */
#include "script_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("core/script/script_lex.cpp");

VELLUM_BSS ScriptStateRec ScriptState;

#include "script_short.h"

static const char *const token_names[TK_COUNT] = {
    "identifier", "int const", "string const", "+", "-", "*", "/", "--",
    "++", "+=", "-=", "*=", "/=", "==", "!=", "<", "<=", ">", ">=", "=",
    "&&", "||", "!", ";", ":", ",", "(", ")", "{", "}", "return", "if",
    "else", "for", "while", "continue", "break", "define", "var",
    "end of file",
};


const char *script_TokenName(int token)
{
    return token >= 0 && token < TK_COUNT ? token_names[token] : "?";
}

/* Characters are unsigned: 128-255 begin no token and are stored unchanged
 * in literals. */
static int is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

static int is_name_char(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

static int digit_value(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

/* Outside literals, capitals become small letters; "//" comment lines keep
 * their case, so settings written in them do too.  Every double quote flips
 * the in-string flag, escaped or not. */
void script_Fold(char *text)
{
    int in_string = 0;
    for (char *p = text; *p; p++) {
        if (!in_string && p[0] == '/' && p[1] == '/') {
            while (*p && *p != '\n')
                p++;
            if (!*p)
                return;
            continue;
        }
        if (*p == '"')
            in_string = !in_string;
        else if (!in_string && *p >= 'A' && *p <= 'Z')
            *p = (char)(*p - 'A' + 'a');
    }
}

int script_ReadChar(void)
{
    SC.Char = (unsigned char)*SC.Next++;
    SC.Position++;
    return SC.Char;
}

static void scan_number(void)
{
    int base = 10;
    uint32_t value = 0;
    if (SC.Char == '0') {
        script_ReadChar();
        if (SC.Char == 'x' || SC.Char == 'X') {
            script_ReadChar();
            base = 16;
        }
    }
    for (int d; (d = digit_value(SC.Char)) < base; script_ReadChar())
        value = value * (uint32_t)base + (uint32_t)d;
    SC.Token = TK_INT;
    SC.IntValue = (int32_t)value;
}

static void scan_name(void)
{
    int n = 0;
    while (is_name_char(SC.Char)) {
        if (n == SCRIPT_IDENT_MAX) {
            SC.Ident[n] = 0;
            SC.Token = TK_IDENT;
            script_Error("Identifier too long");
            return;
        }
        SC.Ident[n++] = (char)SC.Char;
        script_ReadChar();
    }
    SC.Ident[n] = 0;
    SC.Token = TK_IDENT;
    /* The keywords are the names of the tokens "return" to "var", searched
     * in that order. */
    for (int t = TK_RETURN; t <= TK_VAR; t++)
        if (strcmp(SC.Ident, token_names[t]) == 0) {
            SC.Token = t;
            break;
        }
}

int script_Escape(int c)
{
    switch (c) {
    case 'n':  return '\n';
    case 't':  return '\t';
    case 'r':  return '\r';
    case 'b':  return '\b';
    case 'f':  return '\f';
    case '\\': return '\\';
    default:   return 0;   /* \0, \" and unknown escapes */
    }
}

/* One character of a literal into *out; 0 when the literal ends here
 * (line break or end of text, not consumed).  *stored is 0 for a line
 * continuation, which stores nothing. */
static int literal_char(char *out, int *stored)
{
    int c = SC.Char;
    *stored = 1;
    if (c == '\r' || c == '\n' || c == 0)
        return 0;
    script_ReadChar();
    if (c != '\\') {
        *out = (char)c;
        return 1;
    }
    c = SC.Char;
    switch (c) {
    case 0:   return 0;     /* a backslash at the very end */
    case '\r':
    case '\n':
        /* The literal goes on on the next line.  Only the line feed of a
         * CR LF pair goes with it: after a bare line feed the next line's
         * first character is text. */
        script_ReadChar();
        if (c == '\r' && SC.Char == '\n')
            script_ReadChar();
        *stored = 0;
        return 1;
    default:
        *out = (char)script_Escape(c);
        break;
    }
    script_ReadChar();
    return 1;
}

static void scan_string(void)
{
    ScriptCursor *sc = &S.Scan;
    script_ReadChar();                  /* the opening quote */
    SC.SlotIndex = (SC.SlotIndex + 1) % SCRIPT_SLOTS;
    char *slot = sc->Slots[SC.SlotIndex];
    sc->Stamps[SC.SlotIndex] = ++S.Stamp;
    int n = 0, stored;
    char c;
    while (SC.Char != '"' && n < SCRIPT_STRING_MAX) {
        if (!literal_char(&c, &stored))
            break;
        if (stored)
            slot[n++] = c;
    }
    slot[n] = 0;
    SC.Token = TK_STRING;
    if (SC.Char == '"')
        script_ReadChar();
    else
        script_Error("String too long");
}

/* Comments: 1 skipped (scan again), 0 not a comment. */
static int scan_comment(void)
{
    if (SC.Char == '*') {
        script_ReadChar();
        for (;;) {
            if (SC.Char == 0) {
                script_Error("Comment not closed");
                return 1;
            }
            int star = SC.Char == '*';
            script_ReadChar();
            if (star && SC.Char == '/') {
                script_ReadChar();
                return 1;
            }
        }
    }
    if (SC.Char == '/') {
        while (SC.Char != 0 && SC.Char != '\r' && SC.Char != '\n')
            script_ReadChar();
        if (SC.Char != 0)
            script_ReadChar();
        return 1;
    }
    return 0;
}

/* One- and two-character operators: the first character is consumed; a
 * second one is matched greedily.  Gives the token, or -1 to scan on. */
static int scan_operator(int c)
{
    static const struct { char first, second; int one, two; } ops[] = {
        {'!', '=', TK_NOT, TK_NE},    {'*', '=', TK_STAR, TK_MULSET},
        {'<', '=', TK_LT, TK_LE},     {'=', '=', TK_SET, TK_EQ},
        {'>', '=', TK_GT, TK_GE},     {'&', '&', -1, TK_AND},
        {'|', '|', -1, TK_OR},        {'(', 0, TK_LPAREN, 0},
        {')', 0, TK_RPAREN, 0},       {',', 0, TK_COMMA, 0},
        {':', 0, TK_COLON, 0},        {';', 0, TK_SEMI, 0},
        {'{', 0, TK_LBRACE, 0},       {'}', 0, TK_RBRACE, 0},
    };
    script_ReadChar();
    switch (c) {
    case '+':
        if (SC.Char == '=' || SC.Char == '+') {
            int t = SC.Char == '=' ? TK_ADDSET : TK_INC;
            script_ReadChar();
            return t;
        }
        return TK_PLUS;
    case '-':
        if (SC.Char == '=' || SC.Char == '-') {
            int t = SC.Char == '=' ? TK_SUBSET : TK_DEC;
            script_ReadChar();
            return t;
        }
        return TK_MINUS;
    case '/':
        if (SC.Char == '=') {
            script_ReadChar();
            return TK_DIVSET;
        }
        return scan_comment() ? -1 : TK_SLASH;
    }
    for (const auto &o : ops) {
        if (o.first != c)
            continue;
        if (o.second && SC.Char == (unsigned char)o.second) {
            script_ReadChar();
            return o.two;
        }
        if (o.one < 0)
            break;
        return o.one;
    }
    script_Error("Illegal char");
    return -1;
}

void script_NextToken(void)
{
    for (;;) {
        while (is_blank(SC.Char))
            script_ReadChar();
        S.TokenStart = SC.Position > 0 ? SC.Position - 1 : 0;
        int c = SC.Char;
        if (c == 0) {
            SC.Token = TK_EOF;
            return;
        }
        if (c >= '0' && c <= '9') {
            scan_number();
            return;
        }
        if ((c >= 'a' && c <= 'z') || c == '_') {
            scan_name();
            return;
        }
        if (c == '"') {
            scan_string();
            return;
        }
        int t = scan_operator(c);
        if (t >= 0) {
            SC.Token = t;
            return;
        }
    }
}

int script_Expect(int token)
{
    if (SC.Token == token) {
        script_NextToken();
        return 1;
    }
    if (SC.Token == TK_EOF)
        script_Error(script_MsgEof);
    else
        script_ErrorExpectedToken(token);
    return 0;
}

void script_Rewind(void)
{
    SC.Position = 0;
    S.ErrorFlag = 0;
    S.Halted = 0;
    SC.Next = S.Text;
    script_ReadChar();
    script_NextToken();
}

/* Copies only slots whose stamps differ: equal stamps mean equal bytes. */
static void copy_cursor(ScriptCursor *to, const ScriptCursor *from)
{
    to->Mark = from->Mark;
    for (int i = 0; i < SCRIPT_SLOTS; i++)
        if (to->Stamps[i] != from->Stamps[i]) {
            memcpy(to->Slots[i], from->Slots[i], SCRIPT_SLOT_SIZE);
            to->Stamps[i] = from->Stamps[i];
        }
}

void script_SaveCursor(ScriptCursor *c)       { copy_cursor(c, &S.Scan); }
void script_RestoreCursor(const ScriptCursor *c) { copy_cursor(&S.Scan, c); }
void script_SaveMark(ScriptMark *m)           { *m = SC; }
void script_RestoreMark(const ScriptMark *m)  { SC = *m; }

ScriptCursor *script_PushCursor(void)
{
    if (S.CursorTop == SCRIPT_MAX_CURSORS) {
        if (!S.ErrorFlag)      /* nothing runs after an error anyway */
            script_Halt(script_MsgDeep);
        return NULL;
    }
    return &S.Cursors[S.CursorTop++];
}

void script_PopCursor(void)
{
    S.CursorTop--;
}

/* Which of the eight buffers at base value points into: 0 to 7, or -1. */
static int buffer_of(ScriptValue value, char (*base)[SCRIPT_SLOT_SIZE],
                     size_t *offset)
{
    uintptr_t b = (uintptr_t)&base[0][0], v = (uintptr_t)value;
    if (v < b || v - b >= SCRIPT_SLOTS * SCRIPT_SLOT_SIZE)
        return -1;
    *offset = (size_t)((v - b) % SCRIPT_SLOT_SIZE);
    return (int)((v - b) / SCRIPT_SLOT_SIZE);
}

int script_TextPlace(ScriptValue value, char **buffer, size_t *room,
                     int *slot)
{
    size_t offset;
    int i = buffer_of(value, S.Scan.Slots, &offset);
    *slot = i;
    if (i >= 0)
        *buffer = S.Scan.Slots[i];
    else if ((i = buffer_of(value, S.Crossed, &offset)) >= 0)
        *buffer = S.Crossed[i];
    else
        return 0;
    *room = SCRIPT_SLOT_SIZE - offset;
    return 1;
}

size_t script_Length(const char *text, size_t max)
{
    size_t n = 0;
    while (n < max && text[n])
        n++;
    return n;
}

/* Every buffer ends in a NUL that nothing overwrites, so any address
 * inside one reads a terminated text. */
ScriptValue script_CrossText(const char *text)
{
    int i = S.CrossedIndex = (S.CrossedIndex + 1) % SCRIPT_SLOTS;
    size_t n = script_Length(text, SCRIPT_STRING_MAX);
    memmove(S.Crossed[i], text, n);   /* text may lie in this very buffer */
    S.Crossed[i][n] = 0;
    return (ScriptValue)S.Crossed[i];
}

const char *script_Text(ScriptValue value)
{
    char *buffer;
    size_t room;
    int slot;
    return script_TextPlace(value, &buffer, &room, &slot)
        ? (const char *)value : NULL;
}

char *script_TextBuffer(ScriptValue value, size_t *capacity)
{
    char *buffer;
    int slot;
    if (!script_TextPlace(value, &buffer, capacity, &slot))
        return NULL;
    /* The caller may rewrite a slot: it is no longer what any saved cursor
     * holds under its old stamp. */
    if (slot >= 0)
        S.Scan.Stamps[slot] = ++S.Stamp;
    return (char *)value;
}
