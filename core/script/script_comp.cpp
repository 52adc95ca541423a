/* script_comp.cpp -- the compiler: constant and function tables, and the
 * check pass that dry-runs every body through the interpreter's own
 * expression parser before anything runs. */
#include "script_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("core/script/script_comp.cpp");

#include "script_short.h"

int script_NameEqual(const char *a, const char *b)
{
    for (;; a++, b++) {
        int x = (unsigned char)*a, y = (unsigned char)*b;
        if (x >= 'A' && x <= 'Z')
            x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z')
            y += 'a' - 'A';
        if (x != y)
            return 0;
        if (!x)
            return 1;
    }
}

static void copy_name(char *to, const char *from)
{
    size_t n = script_Length(from, SCRIPT_IDENT_MAX);
    memcpy(to, from, n);
    to[n] = 0;
}

int script_FindConstant(const char *name, int32_t *value)
{
    for (int i = 0; i < S.ConstantCount; i++)
        if (strcmp(S.Constants[i].Name, name) == 0) {
            if (value)
                *value = S.Constants[i].Value;
            return 1;
        }
    return 0;
}

int script_AddConstant(const char *name, int32_t value)
{
    if (script_FindConstant(name, NULL)) {
        script_Error("Constant already defined");
        return 0;
    }
    if (S.ConstantCount == SCRIPT_MAX_CONSTANTS)
        return 0;
    ScriptConstant *c = &S.Constants[S.ConstantCount++];
    copy_name(c->Name, name);
    c->Value = value;
    return 1;
}

int script_FindFunction(const char *name)
{
    for (int i = 0; i < S.FunctionCount; i++)
        if (strcmp(S.Functions[i].Name, name) == 0)
            return i;
    return -1;
}

int script_AddFunction(const char *name)
{
    if (S.FunctionCount == SCRIPT_MAX_FUNCTIONS)
        return 0;
    if (script_FindFunction(name) >= 0) {
        script_Error("Function already defined");
        return 0;
    }
    copy_name(S.Functions[S.FunctionCount++].Name, name);
    return 1;
}

/* Everything of script_Prepare but the first token. */
static void prepare_text(char *text)
{
    S.Text = text;
    memset(S.Functions, 0, sizeof S.Functions);
    memset(S.Constants, 0, sizeof S.Constants);
    S.FunctionCount = S.ConstantCount = 0;
    script_AddConstant("null", 0);
    script_AddConstant("true", 1);
    script_AddConstant("false", 0);
    S.CheckMode = 0;
    S.LoopDepth = 0;
    S.CurrentFunction = 0;
    S.Depth = 0;
    S.CursorTop = 0;
    S.Steps = 0;
    S.Builtin = -1;
    SC.Next = text;
    SC.Position = 0;
    S.ErrorFlag = 0;
    S.Halted = 0;
    script_Fold(text);
}

void script_Prepare(char *text)
{
    prepare_text(text);
    script_ReadChar();
    script_NextToken();
}

/* ---- declaration pass ---- */

static int declare_define(void)
{
    char name[SCRIPT_IDENT_MAX + 1];
    script_NextToken();
    if (SC.Token != TK_IDENT) {
        script_ErrorExpectedToken(TK_IDENT);
        return 0;
    }
    copy_name(name, SC.Ident);
    script_NextToken();
    if (SC.Token != TK_INT) {
        script_ErrorExpectedToken(TK_INT);
        return 0;
    }
    int32_t value = SC.IntValue;
    script_NextToken();
    return script_AddConstant(name, value);
}

static int has_variable(const ScriptFunction *f, const char *name)
{
    for (int i = 0; i < f->ParamCount; i++)
        if (strcmp(f->ParamNames[i], name) == 0)
            return 1;
    for (int i = 0; i < f->LocalCount; i++)
        if (strcmp(f->LocalNames[i], name) == 0)
            return 1;
    return 0;
}

static int declare_params(ScriptFunction *f)
{
    while (SC.Token != TK_RPAREN) {
        if (SC.Token != TK_IDENT) {
            script_ErrorExpectedToken(TK_IDENT);
            return 0;
        }
        if (f->ParamCount == SCRIPT_MAX_PARAMS) {
            script_Error("Too much params");
            return 0;
        }
        for (int i = 0; i < f->ParamCount; i++)
            if (strcmp(f->ParamNames[i], SC.Ident) == 0) {
                script_Error("Param already defined");
                return 0;
            }
        copy_name(f->ParamNames[f->ParamCount++], SC.Ident);
        script_NextToken();
        if (SC.Token == TK_RPAREN)
            break;
        if (SC.Token == TK_EOF) {
            script_Error(script_MsgEof);
            return 0;
        }
        if (SC.Token != TK_COMMA) {
            script_ErrorExpected(") or ,");
            return 0;
        }
        script_NextToken();       /* a comma before ")" is accepted */
    }
    return 1;
}

/* "var" a, b c; -- commas are optional between names. */
static int declare_locals(ScriptFunction *f)
{
    script_NextToken();
    for (;;) {
        switch (SC.Token) {
        case TK_EOF:
            script_Error(script_MsgEof);
            return 0;
        case TK_SEMI:
            script_NextToken();
            return 1;
        case TK_COMMA:
            script_NextToken();
            break;
        case TK_IDENT:
            if (f->LocalCount == SCRIPT_MAX_LOCALS) {
                script_Error("Too much locals");
                return 0;
            }
            if (has_variable(f, SC.Ident)) {
                script_Error("Variable already defined");
                return 0;
            }
            copy_name(f->LocalNames[f->LocalCount++], SC.Ident);
            script_NextToken();
            break;
        default:
            script_ErrorExpected(", or ;");
            return 0;
        }
    }
}

/* Passes over a body up to its closing brace, collecting the locals. */
static int declare_body(ScriptFunction *f)
{
    int depth = 0;
    while (!(SC.Token == TK_RBRACE && depth == 0)) {
        switch (SC.Token) {
        case TK_EOF:
            script_Expect(TK_RBRACE);
            return 0;
        case TK_VAR:
            if (depth > 0) {
                script_Error("Can't declare nested vars.");
                return 0;
            }
            if (!declare_locals(f))
                return 0;
            break;
        case TK_LBRACE:
            depth++;
            script_NextToken();
            break;
        case TK_RBRACE:
            depth--;
            script_NextToken();
            break;
        default:
            script_NextToken();
            break;
        }
    }
    return script_Expect(TK_RBRACE);
}

static int declare_function(void)
{
    if (!script_AddFunction(SC.Ident) || S.ErrorFlag)
        return 0;
    ScriptFunction *f = &S.Functions[S.FunctionCount - 1];
    script_NextToken();
    if (!script_Expect(TK_LPAREN) || !declare_params(f))
        return 0;
    if (!script_Expect(TK_RPAREN))
        return 0;
    script_SaveCursor(&f->Body);
    if (!script_Expect(TK_LBRACE))
        return 0;
    return declare_body(f);
}

static int declaration_pass(void)
{
    script_Rewind();
    while (SC.Token != TK_EOF) {
        int ok;
        if (SC.Token == TK_DEFINE)
            ok = declare_define();
        else if (SC.Token == TK_IDENT)
            ok = declare_function();
        else {
            script_ErrorExpected("define or function definition");
            script_ErrorExpectedToken(SC.Token);
            ok = 0;
        }
        if (!ok)
            return 0;
    }
    return 1;
}

/* Variables may be named like constants or built-ins, not like functions. */
static int clash_pass(void)
{
    script_Rewind();
    for (int i = 0; i < S.FunctionCount; i++) {
        const ScriptFunction *f = &S.Functions[i];
        for (int k = 0; k < f->ParamCount + f->LocalCount; k++) {
            const char *name = k < f->ParamCount
                ? f->ParamNames[k] : f->LocalNames[k - f->ParamCount];
            if (script_FindFunction(name) >= 0) {
                script_Error(name);
                script_Error("Function with that name already defined");
                return 0;
            }
        }
    }
    return 1;
}

static int check_pass(void)
{
    script_Rewind();
    for (int i = 0; i < S.FunctionCount; i++) {
        S.CurrentFunction = i;
        S.LoopDepth = 0;
        script_RestoreCursor(&S.Functions[i].Body);
        script_Check();
        if (S.ErrorFlag)
            return 0;
    }
    return 1;
}

/* The lexical pass scans from the start itself: scanning the first token
 * beforehand as well would show its error twice. */
int script_Compile(char *text)
{
    prepare_text(text);
    S.CheckMode = 1;
    script_Rewind();
    while (SC.Token != TK_EOF && !S.ErrorFlag)
        script_NextToken();
    if (S.ErrorFlag || !declaration_pass() || !clash_pass() || !check_pass())
        return 0;
    S.CheckMode = 0;
    return 1;
}

/* ---- check mode: one statement ---- */

static void check_loop_body(void)
{
    S.LoopDepth++;
    script_Check();
    S.LoopDepth--;
}

static void check_step(void)
{
    script_Check();
}

static void check_statement(void)
{
    switch (SC.Token) {
    case TK_SEMI:
        script_NextToken();
        return;
    case TK_LBRACE:
        script_Block(check_step);
        return;
    case TK_RETURN:
        script_NextToken();
        script_Eval();
        if (!S.ErrorFlag)
            script_Expect(TK_SEMI);
        return;
    case TK_IF:
        script_NextToken();
        if (!script_Expect(TK_LPAREN) || (script_Eval(), S.ErrorFlag) ||
            !script_Expect(TK_RPAREN) || !script_Check())
            return;
        if (SC.Token == TK_ELSE) {
            script_NextToken();
            script_Check();
        }
        return;
    case TK_FOR:
        script_NextToken();
        if (!script_Expect(TK_LPAREN))
            return;
        for (int part = 0; part < 3; part++) {
            script_Eval();
            if (S.ErrorFlag ||
                !script_Expect(part < 2 ? TK_SEMI : TK_RPAREN))
                return;
        }
        check_loop_body();
        return;
    case TK_WHILE:
        script_NextToken();
        if (!script_Expect(TK_LPAREN) || (script_Eval(), S.ErrorFlag) ||
            !script_Expect(TK_RPAREN))
            return;
        check_loop_body();
        return;
    case TK_CONTINUE:
    case TK_BREAK:
        if (S.LoopDepth == 0) {
            script_Error(SC.Token == TK_BREAK ? "Can't break without loop."
                                              : "Can't continue without loop.");
            return;
        }
        script_NextToken();
        script_Expect(TK_SEMI);
        return;
    case TK_VAR:
        script_NextToken();
        script_PassSemicolon();
        return;
    default:
        script_Eval();
        if (!S.ErrorFlag)
            script_Expect(TK_SEMI);
        return;
    }
}

/* 1 when the statement checked without error. */
int script_Check(void)
{
    if (S.ErrorFlag || !script_Enter())
        return 0;
    check_statement();
    script_Leave();
    return !S.ErrorFlag;
}
