/* script_run.cpp -- the interpreter: expressions computed while they are
 * parsed, statements executed by scanning them, loops repeated by going
 * back to saved cursors, and a walker that passes over statements that must
 * not run.  The compiler's check mode runs through the same expression
 * parser: it stores nothing and calls nothing. */
#include "script_int.h"
#include "ident.h"

#include <string.h>

MODULE_IDENT("core/script/script_run.cpp");

#include "script_short.h"

/* ---- values: integers are signed 32-bit on every build ---- */

int32_t script_Int(ScriptValue v)
{
    return (int32_t)(uint32_t)(uintptr_t)v;
}

static ScriptValue wrap(uint32_t v)
{
    return (ScriptValue)(int32_t)v;
}

static int is_text(ScriptValue v)
{
    return script_Text(v) != NULL;
}

/* "+" and "-" on a text move its address; everything else wraps at 32 bits.
 * On a 32-bit build both rules give the same word. */
static ScriptValue add(ScriptValue a, ScriptValue b)
{
    if (is_text(a) && !is_text(b))
        return a + script_Int(b);
    if (is_text(b) && !is_text(a))
        return b + script_Int(a);
    return wrap((uint32_t)script_Int(a) + (uint32_t)script_Int(b));
}

static ScriptValue sub(ScriptValue a, ScriptValue b)
{
    if (is_text(a))
        return a - (is_text(b) ? b : script_Int(b));
    return wrap((uint32_t)script_Int(a) - (uint32_t)script_Int(b));
}

static ScriptValue mul(ScriptValue a, ScriptValue b)
{
    return wrap((uint32_t)script_Int(a) * (uint32_t)script_Int(b));
}

/* Truncates toward zero; the one quotient that overflows wraps. */
static ScriptValue quot(ScriptValue a, ScriptValue b)
{
    int32_t x = script_Int(a), y = script_Int(b);
    if (y == 0)
        return 0;
    if (y == -1)
        return wrap(0u - (uint32_t)x);
    return x / y;
}

/* ---- depth guard ---- */

int script_Enter(void)
{
    if (S.Depth >= SCRIPT_MAX_DEPTH) {
        if (!S.ErrorFlag)
            script_Halt(script_MsgDeep);
        return 0;
    }
    S.Depth++;
    return 1;
}

void script_Leave(void)
{
    S.Depth--;
}

/* ---- variables of CurrentFunction; locals are searched first ---- */

static ScriptValue *var_place(const char *name)
{
    if (S.CurrentFunction < 0 || S.CurrentFunction >= S.FunctionCount)
        return NULL;
    ScriptFunction *f = &S.Functions[S.CurrentFunction];
    for (int i = 0; i < f->LocalCount; i++)
        if (strcmp(f->LocalNames[i], name) == 0)
            return &f->LocalValues[i];
    for (int i = 0; i < f->ParamCount; i++)
        if (strcmp(f->ParamNames[i], name) == 0)
            return &f->ParamValues[i];
    return NULL;
}

int script_IsVar(const char *name)
{
    return var_place(name) != NULL;
}

ScriptValue script_GetVar(const char *name)
{
    ScriptValue *p = var_place(name);
    return p ? *p : 0;
}

void script_SetVar(const char *name, ScriptValue value)
{
    ScriptValue *p = var_place(name);
    if (p && !S.CheckMode)
        *p = value;
}

/* ---- expressions ---- */

static ScriptValue call_value(const char *name);

static ScriptValue primary_name(void)
{
    char name[SCRIPT_IDENT_MAX + 1];
    memcpy(name, SC.Ident, sizeof name);
    int32_t constant;
    if (script_IsVar(name)) {
        ScriptValue v = script_GetVar(name);
        script_NextToken();
        if (SC.Token == TK_INC || SC.Token == TK_DEC) {
            int step = SC.Token == TK_INC ? 1 : -1;
            script_NextToken();
            script_SetVar(name, add(v, step));
        }
        return v;
    }
    if (script_FindConstant(name, &constant)) {
        script_NextToken();
        return constant;
    }
    if (!script_IsBuiltin(name) && script_FindFunction(name) < 0) {
        script_Error("Unknown identifier");
        script_ErrorExpectedToken(SC.Token);
        return 0;
    }
    script_NextToken();
    return call_value(name);
}

static ScriptValue primary(void)
{
    ScriptValue v;
    switch (SC.Token) {
    case TK_INT:
        v = SC.IntValue;
        script_NextToken();
        return v;
    case TK_STRING:
        v = (ScriptValue)S.Scan.Slots[SC.SlotIndex];
        script_NextToken();
        return v;
    case TK_LPAREN:
        script_Expect(TK_LPAREN);
        v = script_Eval();
        if (S.ErrorFlag)
            return 0;
        script_Expect(TK_RPAREN);
        return v;
    case TK_SEMI:
        return 1;            /* an empty expression is true */
    case TK_IDENT:
        return primary_name();
    default:
        return 0;            /* ")" "," a prefix "++" ...: nothing consumed */
    }
}

static ScriptValue unary(void)
{
    if (S.ErrorFlag)
        return 0;
    int op = SC.Token;
    if (op != TK_NOT && op != TK_MINUS)
        return primary();
    if (!script_Enter())
        return 0;
    script_NextToken();
    ScriptValue v = unary();
    script_Leave();
    if (S.ErrorFlag)
        return 0;
    return op == TK_NOT ? !v : wrap(0u - (uint32_t)script_Int(v));
}

static ScriptValue multiplicative(void)
{
    ScriptValue v = unary();
    while (!S.ErrorFlag && (SC.Token == TK_STAR || SC.Token == TK_SLASH)) {
        int op = SC.Token;
        script_NextToken();
        ScriptValue r = unary();
        if (op == TK_STAR)
            v = mul(v, r);
        else if (script_Int(r) == 0 && !S.CheckMode) {
            if (!S.ErrorFlag)       /* a divisor that failed is no new fault */
                script_Error("Divide by zero");
            v = 0;
        } else
            v = quot(v, r);
    }
    return S.ErrorFlag ? 0 : v;
}

static ScriptValue additive(void)
{
    ScriptValue v = multiplicative();
    while (!S.ErrorFlag && (SC.Token == TK_PLUS || SC.Token == TK_MINUS)) {
        int op = SC.Token;
        script_NextToken();
        ScriptValue r = multiplicative();
        v = op == TK_PLUS ? add(v, r) : sub(v, r);
    }
    return S.ErrorFlag ? 0 : v;
}

/* At most one comparison per level: a < b < c ends after a < b. */
static ScriptValue relation(void)
{
    ScriptValue v = additive();
    int op = SC.Token;
    if (S.ErrorFlag || op < TK_LT || op > TK_GE)
        return S.ErrorFlag ? 0 : v;
    script_NextToken();
    ScriptValue r = additive();
    if (S.ErrorFlag)
        return 0;
    switch (op) {
    case TK_LT: return v < r;
    case TK_LE: return v <= r;
    case TK_GT: return v > r;
    default:    return v >= r;
    }
}

static ScriptValue equality(void)
{
    ScriptValue v = relation();
    int op = SC.Token;
    if (S.ErrorFlag || (op != TK_EQ && op != TK_NE))
        return S.ErrorFlag ? 0 : v;
    script_NextToken();
    ScriptValue r = relation();
    if (S.ErrorFlag)
        return 0;
    return op == TK_EQ ? v == r : v != r;
}

/* Both operands are always evaluated: f() || g() calls both. */
static ScriptValue logical_and(void)
{
    ScriptValue v = equality();
    while (!S.ErrorFlag && SC.Token == TK_AND) {
        script_NextToken();
        ScriptValue r = equality();
        v = v != 0 && r != 0;
    }
    return S.ErrorFlag ? 0 : v;
}

static ScriptValue logical_or(void)
{
    ScriptValue v = logical_and();
    while (!S.ErrorFlag && SC.Token == TK_OR) {
        script_NextToken();
        ScriptValue r = logical_and();
        v = v != 0 || r != 0;
    }
    return S.ErrorFlag ? 0 : v;
}

static int is_assign_op(int t)
{
    return t == TK_SET || t == TK_ADDSET || t == TK_SUBSET ||
           t == TK_MULSET || t == TK_DIVSET || t == TK_INC || t == TK_DEC;
}

/* Is the current token a variable followed by an assignment operator?  The
 * look-ahead saves only the scanner's mark: when the token after the name
 * is a literal, parsing scans it again into the same slot with the same
 * bytes, so the slots need no copy. */
static int assign_target(void)
{
    if (SC.Token != TK_IDENT || !script_IsVar(SC.Ident))
        return 0;
    ScriptMark m;
    script_SaveMark(&m);
    script_NextToken();
    int target = is_assign_op(SC.Token);
    script_RestoreMark(&m);
    return target;
}

static ScriptValue assignment(void)
{
    int target = assign_target();
    ScriptValue left = logical_or();
    int op = SC.Token;
    if (is_assign_op(op) && !target) {
        script_ErrorExpected("l-expr variable");
        return 0;
    }
    if (op != TK_SET && op != TK_ADDSET && op != TK_SUBSET &&
        op != TK_MULSET && op != TK_DIVSET)
        return left;
    char name[SCRIPT_IDENT_MAX + 1];
    memcpy(name, SC.Ident, sizeof name);
    script_NextToken();
    ScriptValue right = script_Eval();
    ScriptValue now = script_GetVar(name);   /* after the right side ran */
    switch (op) {
    case TK_SET:
        script_SetVar(name, right);
        return right;
    case TK_ADDSET:
        script_SetVar(name, add(now, right));
        return add(left, right);
    case TK_SUBSET:
        script_SetVar(name, sub(now, right));
        return sub(left, right);
    case TK_MULSET:
        script_SetVar(name, mul(now, right));
        return mul(left, right);
    default:
        if (script_Int(right) == 0 && !S.CheckMode) {
            if (!S.ErrorFlag)
                script_Error("Divide by zero");
            script_SetVar(name, 0);
            return 0;
        }
        script_SetVar(name, quot(now, right));
        return quot(left, right);
    }
}

ScriptValue script_Eval(void)
{
    if (S.ErrorFlag || !script_Enter())
        return 0;
    ScriptValue v = assignment();
    script_Leave();
    return v;
}

/* ---- calls ---- */

/* Check mode: any call is parsed generically and counted. */
static ScriptValue check_call(const char *name)
{
    int count = 0;
    if (!script_Expect(TK_LPAREN))
        return 0;
    while (SC.Token != TK_RPAREN) {
        script_Eval();
        if (S.ErrorFlag)
            return 0;
        count++;
        if (SC.Token == TK_RPAREN)
            break;
        if (SC.Token == TK_COMMA) {
            script_NextToken();
            continue;
        }
        if (SC.Token == TK_EOF)
            script_Error(script_MsgEof);
        script_ErrorExpected(", or )");
        return 0;
    }
    script_Expect(TK_RPAREN);
    if (!script_CheckArgCount(name, count)) {
        script_Error("Incompatible number of parameters");
        return 0;
    }
    return 1;
}

static ScriptValue call_value(const char *name)
{
    if (S.CheckMode)
        return check_call(name);
    if (!script_Expect(TK_LPAREN))
        return 0;
    if (script_IsBuiltin(name))
        return script_CallBuiltin(name);
    int fn = script_FindFunction(name);
    int n = fn >= 0 ? S.Functions[fn].ParamCount : 0;
    /* Arguments are evaluated into a place of this call's own and staged
     * only when all are known: a call inside the argument list stages its
     * own arguments without spoiling the values staged before it. */
    ScriptValue args[SCRIPT_MAX_PARAMS];
    for (int i = 0; i < n; i++) {
        args[i] = script_Eval();
        script_Expect(i < n - 1 ? TK_COMMA : TK_RPAREN);
    }
    if (n == 0)
        script_Expect(TK_RPAREN);
    memcpy(S.ArgStage, args, sizeof args[0] * (size_t)n);
    return script_Call(name);
}

/* ---- statements ---- */

void script_PassSemicolon(void)
{
    while (SC.Token != TK_SEMI && SC.Token != TK_EOF)
        script_NextToken();
    script_Expect(TK_SEMI);
}

/* Passes tokens up to the ")" that closes a "(" already consumed, counting
 * the parentheses between, and consumes it. */
static void pass_paren(void)
{
    int depth = 0;
    while (SC.Token != TK_EOF) {
        if (SC.Token == TK_LPAREN)
            depth++;
        else if (SC.Token == TK_RPAREN && depth-- == 0)
            break;
        script_NextToken();
    }
    script_Expect(TK_RPAREN);
}

static int exec_block(void)
{
    script_NextToken();
    while (SC.Token != TK_RBRACE) {
        int r = script_Exec();
        if (r != SCRIPT_NORMAL)
            return r;         /* the loop or call repositions the scanner */
        if (S.ErrorFlag)
            return SCRIPT_NORMAL;
    }
    script_NextToken();
    return SCRIPT_NORMAL;
}

static int exec_if(void)
{
    script_NextToken();
    script_Expect(TK_LPAREN);
    ScriptValue c = script_Eval();
    script_Expect(TK_RPAREN);
    int r = SCRIPT_NORMAL;
    if (c)
        r = script_Exec();
    else
        script_Skip();
    if (SC.Token == TK_ELSE && !S.ErrorFlag) {
        script_NextToken();
        if (c)
            script_Skip();
        else
            r = script_Exec();
    }
    return r;
}

/* The loop of for and while: the condition at cond, the body, and for a
 * for loop the step at step, until the condition is 0, a break or a
 * return.  A for loop reaches its body by the cursor body; a while loop by
 * the ")" after its condition, and a break passes the condition over
 * again, without evaluating it. */
static int run_loop(ScriptCursor *cond, ScriptCursor *body,
                    ScriptCursor *step)
{
    int r = SCRIPT_NORMAL;
    while (!S.ErrorFlag) {
        script_RestoreCursor(cond);
        ScriptValue c = script_Eval();
        if (body)
            script_RestoreCursor(body);
        else
            script_Expect(TK_RPAREN);
        if (!c) {
            script_Skip();
            break;
        }
        r = script_Exec();
        if (r == SCRIPT_RETURNED)
            break;
        if (r == SCRIPT_BROKEN) {
            if (body)
                script_RestoreCursor(body);
            else {
                script_RestoreCursor(cond);
                pass_paren();
            }
            script_Skip();
            r = SCRIPT_NORMAL;
            break;
        }
        r = SCRIPT_NORMAL;
        if (step) {
            script_RestoreCursor(step);
            script_Eval();
        }
    }
    return r;
}

static int exec_for(void)
{
    script_NextToken();
    script_Expect(TK_LPAREN);
    script_Eval();
    script_Expect(TK_SEMI);
    ScriptCursor *a = script_PushCursor();
    if (!a)
        return SCRIPT_NORMAL;
    script_SaveCursor(a);
    ScriptCursor *b = script_PushCursor();
    ScriptCursor *c = b ? script_PushCursor() : NULL;
    int r = SCRIPT_NORMAL;
    if (c) {
        script_PassSemicolon();
        script_SaveCursor(b);
        pass_paren();
        script_SaveCursor(c);
        r = run_loop(a, c, b);
    }
    S.CursorTop = (int)(a - S.Cursors);   /* pops a, b and c */
    return r;
}

static int exec_while(void)
{
    script_NextToken();
    script_Expect(TK_LPAREN);
    ScriptCursor *a = script_PushCursor();
    if (!a)
        return SCRIPT_NORMAL;
    script_SaveCursor(a);
    int r = run_loop(a, NULL, NULL);
    script_PopCursor();
    return r;
}

static int exec_statement(void)
{
    switch (SC.Token) {
    case TK_SEMI:
        script_NextToken();
        return SCRIPT_NORMAL;
    case TK_LBRACE:
        return exec_block();
    case TK_RETURN:
        script_NextToken();
        S.ReturnValue = script_Eval();
        script_Expect(TK_SEMI);
        return SCRIPT_RETURNED;
    case TK_IF:
        return exec_if();
    case TK_FOR:
        return exec_for();
    case TK_WHILE:
        return exec_while();
    case TK_CONTINUE:
    case TK_BREAK: {
        int r = SC.Token == TK_BREAK ? SCRIPT_BROKEN : SCRIPT_CONTINUED;
        script_NextToken();
        script_Expect(TK_SEMI);
        return r;
    }
    case TK_VAR:
        /* Declarations were collected at compile time; locals are not
         * reset here. */
        script_NextToken();
        script_PassSemicolon();
        return SCRIPT_NORMAL;
    default:
        script_Eval();
        script_Expect(TK_SEMI);
        return SCRIPT_NORMAL;
    }
}

int script_Exec(void)
{
    if (S.ErrorFlag)
        return SCRIPT_NORMAL;
    if (S.StepLimit && ++S.Steps > S.StepLimit) {
        script_Halt("Too many steps");
        return SCRIPT_NORMAL;
    }
    if (!script_Enter())
        return SCRIPT_NORMAL;
    int r = exec_statement();
    script_Leave();
    return r;
}

void script_Block(void (*step)(void))
{
    script_NextToken();
    while (SC.Token != TK_RBRACE && !S.ErrorFlag)
        step();
    if (!S.ErrorFlag)
        script_NextToken();
}

static void skip_statement(void)
{
    switch (SC.Token) {
    case TK_SEMI:
        script_NextToken();
        return;
    case TK_LBRACE:
        script_Block(script_Skip);
        return;
    case TK_IF:
        script_NextToken();
        script_Expect(TK_LPAREN);
        pass_paren();
        script_Skip();
        if (SC.Token == TK_ELSE && !S.ErrorFlag) {
            script_NextToken();
            script_Skip();
        }
        return;
    case TK_FOR:
        script_NextToken();
        script_Expect(TK_LPAREN);
        script_PassSemicolon();
        script_PassSemicolon();
        pass_paren();
        script_Skip();
        return;
    case TK_WHILE:
        script_NextToken();
        script_Expect(TK_LPAREN);
        pass_paren();
        script_Skip();
        return;
    case TK_CONTINUE:
    case TK_BREAK:
        script_NextToken();
        script_Expect(TK_SEMI);
        return;
    case TK_RETURN:
    case TK_VAR:
        script_NextToken();
        script_PassSemicolon();
        return;
    default:
        script_PassSemicolon();
        return;
    }
}

void script_Skip(void)
{
    if (S.ErrorFlag || !script_Enter())
        return;
    skip_statement();
    script_Leave();
}

/* Texts cannot cross a call in the slots: entering a body brings back the
 * slots of its definition, leaving it the caller's, and a loop going round
 * brings back its own.  So text arguments and results are copied into the
 * crossed-text buffers, which no cursor touches; each lives until eight
 * more texts have crossed a call. */
static void cross_arguments(const char *name)
{
    int count = 0;
    for (int i = 0; i < S.FunctionCount; i++)
        if (script_NameEqual(S.Functions[i].Name, name) &&
            S.Functions[i].ParamCount > count)
            count = S.Functions[i].ParamCount;
    for (int i = 0; i < count; i++)
        if (script_Text(S.ArgStage[i]))
            S.ArgStage[i] = script_CrossText(script_Text(S.ArgStage[i]));
}

ScriptValue script_Call(const char *name)
{
    if (!script_Enter())
        return 0;
    ScriptCursor *saved = script_PushCursor();
    if (!saved) {
        script_Leave();
        return 0;
    }
    script_SaveCursor(saved);
    cross_arguments(name);
    int caller = S.CurrentFunction;
    ScriptValue result = 0;
    for (int i = 0; i < S.FunctionCount; i++) {
        ScriptFunction *f = &S.Functions[i];
        if (!script_NameEqual(f->Name, name))
            continue;
        script_RestoreCursor(&f->Body);
        S.CurrentFunction = i;
        memcpy(f->ParamValues, S.ArgStage,
               sizeof f->ParamValues[0] * (size_t)f->ParamCount);
        if (script_Exec() == SCRIPT_RETURNED)
            result = S.ReturnValue;
    }
    if (script_Text(result))
        result = script_CrossText(script_Text(result));
    S.CurrentFunction = caller;
    script_RestoreCursor(saved);
    script_PopCursor();
    script_Leave();
    return result;
}
