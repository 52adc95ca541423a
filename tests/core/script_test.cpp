/* script_test.cpp -- the script engine natively, under ASan and UBSan:
 * scanner, compiler messages, expressions, statements, calls, string slots,
 * run-time errors, nesting limits, settings, text arguments and path
 * macros.
 *
 * The host records every "Script error" box and every built-in call (with
 * its arguments as the handler read them), so each row states exactly what
 * a user would have seen and what the installer would have been asked to
 * do. */
#include "path/path.h"
#include "script/script.h"
#include "script/script_int.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

typedef std::vector<std::string> Lines;

/* ---- the host ------------------------------------------------------------ */

static Lines g_boxes;                  /* box texts, in order */
static Lines g_calls;                  /* built-in calls, as name(args) */
static ScriptValue g_result[SB_COUNT]; /* what each built-in gives */
static bool g_expand;                  /* handlers expand text arguments */
static std::string g_src;              /* the text the engine points into */

static const char *const kFolders[PATH_MACROS] = {
    "C:\\WINDOWS", "C:\\WINDOWS\\System32", "C:\\WINDOWS\\System32\\Drivers",
    "D:\\App", "C:\\Program Files", "C:\\Program Files\\Acme\\Tool",
    "C:\\Program Files\\Acme",
};

static void record_box(const char *text)
{
    g_boxes.push_back(text);
}

static std::string show(ScriptValue v)
{
    const char *t = script_Text(v);
    if (t)
        return "\"" + std::string(t) + "\"";
    return std::to_string(script_Int(v));
}

/* Every built-in: reads its row's arguments, optionally rewrites its text
 * arguments in place as the installer does with paths, records the call. */
static ScriptValue record_call(void)
{
    int row = script_CurrentBuiltin();
    const ScriptBuiltin &b = script_Builtins[row];
    ScriptValue a[8] = {};
    script_Args(b.ArgCount, a);
    std::string s = std::string(b.Keyword) + "(";
    for (int i = 0; i < b.ArgCount; i++) {
        size_t cap;
        char *buf = g_expand ? script_TextBuffer(a[i], &cap) : nullptr;
        if (buf)
            path_ExpandWith(buf, cap, kFolders);
        s += (i ? "," : "") + show(a[i]);
    }
    g_calls.push_back(s + ")");
    return g_result[row];
}

static ScriptHandler g_handlers[SB_COUNT];

/* A fresh process: every field of the engine zero, nothing reported or
 * called yet.  Each row of a table starts here too. */
static void fresh(void)
{
    memset(&ScriptState, 0, sizeof ScriptState);
    g_boxes.clear();
    g_calls.clear();
    ScriptHost host = {record_box, g_handlers};
    script_SetHost(&host);
}

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(g_result, 0, sizeof g_result);
        g_expand = false;
        for (auto &h : g_handlers)
            h = record_call;
        fresh();
    }
};

static int compile(const std::string &src)
{
    g_src = src;
    return script_Compile(&g_src[0]);
}

static std::string rep(const std::string &s, int n)
{
    std::string r;
    for (int i = 0; i < n; i++)
        r += s;
    return r;
}

#include "script/script_short.h"

/* ---- scanner ------------------------------------------------------------- */

/* The current token as text@offset: names and keywords by their text,
 * numbers as #value, literals quoted (up to a stored NUL). */
static std::string token_text(void)
{
    std::string s;
    switch (SC.Token) {
    case TK_IDENT: s = SC.Ident; break;
    case TK_INT: s = "#" + std::to_string(SC.IntValue); break;
    case TK_STRING:
        s = "\"" + std::string(S.Scan.Slots[SC.SlotIndex]) + "\"";
        break;
    default: s = script_TokenName(SC.Token); break;
    }
    return s + "@" + std::to_string(S.TokenStart);
}

static std::string scan_all(const std::string &src)
{
    g_src = src;
    script_Prepare(&g_src[0]);
    std::string out = token_text();
    for (int i = 0; i < 100 && SC.Token != TK_EOF; i++) {
        script_NextToken();
        out += " " + token_text();
    }
    return out;
}

struct TokenRow {
    const char *name;
    std::string src;
    std::string tokens;
    Lines boxes;
    std::string folded;   /* the text after the folding pass; "" = same */
};

TEST_F(ScriptTest, TokensAndScannerMessages)
{
    const std::string id32(32, 'n'), lit512(512, 'q');
    const std::vector<TokenRow> rows = {
        {"capitals fold", "Init TRUE", "init@0 true@5 end of file@9", {},
         "init true"},
        {"comment line keeps its case", "// Company=Acme\nX = 1",
         "x@16 =@18 #1@20 end of file@21", {}, "// Company=Acme\nx = 1"},
        {"comment line at the end keeps its case", "A // Keep ME",
         "a@0 end of file@12", {}, "a // Keep ME"},
        {"literal keeps its case", "\"AbC\" D", "\"AbC\"@0 d@6 end of file@7",
         {}, "\"AbC\" d"},
        {"block comment folds", "/* AB */ C", "c@9 end of file@10", {},
         "/* ab */ c"},
        {"comment mark inside a literal", "\"a//B\" C",
         "\"a//B\"@0 c@7 end of file@8", {}, "\"a//B\" c"},
        {"escaped quote toggles the folding", "\"a\\\"BC\" X",
         "\"a\"@0 end of file@9", {"Error: Illegal char at 8 ()"},
         "\"a\\\"bc\" X"},
        {"hex", "0x1F 0X10", "#31@0 #16@5 end of file@9", {}, "0x1f 0x10"},
        {"hex with a bad digit", "0x1g", "#1@0 g@3 end of file@4", {}, ""},
        {"decimal then name", "12ab", "#12@0 ab@2 end of file@4", {}, ""},
        {"leading zero is decimal", "017 0 0x", "#17@0 #0@4 #0@6 end of file@8",
         {}, ""},
        {"numbers wrap at 32 bits", "4294967297 2147483648 0xffffffff",
         "#1@0 #-2147483648@11 #-1@22 end of file@32", {}, ""},
        {"minus is a token", "-5", "-@0 #5@1 end of file@2", {}, ""},
        {"a+++b", "a+++b", "a@0 ++@1 +@3 b@4 end of file@5", {}, ""},
        {"operators",
         "!= ! == = <= < >= > += ++ + -= -- - *= * /= / ( ) , ; { } : && ||",
         "!=@0 !@3 ==@5 =@8 <=@10 <@13 >=@15 >@18 +=@20 ++@23 +@26 -=@28 "
         "--@31 -@34 *=@36 *@39 /=@41 /@44 (@46 )@48 ,@50 ;@52 {@54 }@56 "
         ":@58 &&@60 ||@63 end of file@65",
         {}, ""},
        {"keywords", "return if else for while continue break define var null",
         "return@0 if@7 else@10 for@15 while@19 continue@25 break@34 "
         "define@40 var@47 null@51 end of file@55",
         {}, ""},
        {"32-character name", id32 + " x",
         id32 + "@0 x@33 end of file@34", {}, ""},
        {"33-character name", id32 + "z x",
         id32 + "@0 z@32 x@34 end of file@35",
         {"Error: Identifier too long at 0 (" + id32 + ")"}, ""},
        {"512-character literal", "\"" + lit512 + "\" x",
         "\"" + lit512 + "\"@0 x@515 end of file@516", {}, ""},
        {"513-character literal", "\"" + lit512 + "q\" x",
         "\"" + lit512 + "\"@0 q@513 \" x\"@514 end of file@517",
         /* the scanner goes on after an error: the closing quote opens a
          * second literal */
         {"Error: String too long at 0 ()", "Error: String too long at 514 (q)"},
         ""},
        {"line break in a literal", "\"ab\ncd\" x",
         "\"ab\"@0 cd@4 \" x\"@6 end of file@9",
         {"Error: String too long at 0 ()", "Error: String too long at 6 (cd)"},
         ""},
        {"carriage return in a literal", "\"ab\r\n", "\"ab\"@0 end of file@5",
         {"Error: String too long at 0 ()"}, ""},
        {"end of text in a literal", "x \"ab", "x@0 \"ab\"@2 end of file@5",
         {"Error: String too long at 2 (x)"}, ""},
        {"backslash at the end of the text", "\"ab\\", "\"ab\"@0 end of file@4",
         {"Error: String too long at 0 ()"}, ""},
        {"block comment", "a/*x*/b", "a@0 b@6 end of file@7", {}, ""},
        {"star star slash closes", "/* a **/ b", "b@9 end of file@10", {}, ""},
        {"slash star slash does not close", "/*/ a */b", "b@8 end of file@9",
         {}, ""},
        {"comments do not nest", "/* /* */ b */", "b@9 *@11 /@12 end of file@13",
         {}, ""},
        {"block comment not closed", "a /* b", "a@0 end of file@6",
         {"Error: Comment not closed at 2 (a)"}, ""},
        {"line comment with CR LF", "a // x\r\nb", "a@0 b@8 end of file@9", {},
         ""},
        {"line comment with bare CR", "a // x\rb", "a@0 b@7 end of file@8", {},
         ""},
        {"line comment on the last line", "a // x", "a@0 end of file@6", {}, ""},
        {"slash at the end", "a /", "a@0 /@2 end of file@3", {}, ""},
        {"high character outside literals", "a \xe9 b",
         "a@0 b@4 end of file@5", {"Error: Illegal char at 2 (a)"}, ""},
        {"illegal characters", "#a $ 'b'",
         "a@1 b@6 end of file@8",
         {"Error: Illegal char at 0 ()", "Error: Illegal char at 3 (a)",
          "Error: Illegal char at 5 (a)", "Error: Illegal char at 7 (b)"},
         ""},
        {"lone ampersand", "a & b", "a@0 b@4 end of file@5",
         {"Error: Illegal char at 2 (a)"}, ""},
        {"lone bar", "a | b", "a@0 b@4 end of file@5",
         {"Error: Illegal char at 2 (a)"}, ""},
        {"dollar", "a $", "a@0 end of file@3", {"Error: Illegal char at 2 (a)"},
         ""},
        {"empty text", "", "end of file@0", {}, ""},
        {"blanks only", " \t\r\n", "end of file@4", {}, ""},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        EXPECT_EQ(r.tokens, scan_all(r.src));
        EXPECT_EQ(r.boxes, g_boxes);
        EXPECT_EQ(r.boxes.empty() ? 0 : 1, script_HasError());
        EXPECT_EQ(r.folded.empty() ? r.src : r.folded, std::string(g_src));
    }
}

/* The stored bytes of one literal, NULs included, and its boxes. */
struct LiteralRow {
    const char *name;
    std::string src;
    std::string bytes;
    Lines boxes;
};

TEST_F(ScriptTest, LiteralBytes)
{
    using namespace std::string_literals;
    const std::vector<LiteralRow> rows = {
        {"escapes", "\"\\n\\t\\r\\b\\f\\\\x\"", "\n\t\r\b\f\\x", {}},
        {"escaped NUL", "\"a\\0b\"", "a\0b"s, {}},
        {"escaped quote stores NUL", "\"a\\\"b\"", "a\0b"s, {}},
        {"unknown escape stores NUL", "\"a\\qb\\Nc\"", "a\0b\0c"s, {}},
        {"backslash CR LF", "\"ab\\\r\ncd\"", "abcd", {}},
        {"backslash bare LF: next character is text", "\"ab\\\n cd\"", "ab cd",
         {}},
        {"backslash bare CR", "\"ab\\\rcd\"", "abcd", {}},
        {"backslash LF then a line break", "\"ab\\\n\ncd\"", "ab",
         {"Error: String too long at 0 ()"}},
        {"backslash CR LF then LF", "\"ab\\\r\n\n\"", "ab",
         {"Error: String too long at 0 ()"}},
        {"high characters kept", "\"\xe9\xff\x80\"", "\xe9\xff\x80", {}},
        {"capitals kept", "\"ABC def\"", "ABC def", {}},
        {"NUL counts towards the length",
         "\"" + rep("\\0", 512) + "\"", std::string(512, '\0'), {}},
        {"escapes count as one", "\"" + rep("\\n", 511) + "ab\"",
         std::string(511, '\n') + "a", {"Error: String too long at 0 ()"}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        g_src = r.src;
        script_Prepare(&g_src[0]);
        ASSERT_EQ(TK_STRING, SC.Token);
        const char *slot = S.Scan.Slots[SC.SlotIndex];
        EXPECT_EQ(r.bytes, std::string(slot, r.bytes.size()));
        EXPECT_EQ(0, slot[r.bytes.size()]) << "terminator";
        EXPECT_EQ(r.boxes, g_boxes);
    }
}

TEST_F(ScriptTest, EndOfFileIsSticky)
{
    g_src = "a";
    script_Prepare(&g_src[0]);
    script_NextToken();
    ASSERT_EQ(TK_EOF, SC.Token);
    int position = SC.Position;
    for (int i = 0; i < 3; i++) {
        script_NextToken();
        EXPECT_EQ(TK_EOF, SC.Token) << "call " << i;
        EXPECT_EQ(1, S.TokenStart) << "call " << i;
        EXPECT_EQ(position, SC.Position) << "call " << i;
    }
    EXPECT_TRUE(g_boxes.empty());
}

/* Expect at end of file reports it as such; elsewhere by token name, with
 * the offset just after the previous token. */
TEST_F(ScriptTest, ExpectMessages)
{
    g_src = "a  \n )";
    script_Prepare(&g_src[0]);
    script_NextToken();
    EXPECT_EQ(0, script_Expect(TK_SEMI));
    EXPECT_EQ(TK_RPAREN, SC.Token) << "nothing scanned after the report";
    EXPECT_EQ((Lines{"Expected ; at 1 (a)"}), g_boxes);
    /* Expect does not look at the error flag: after an error a match moves
     * on and a miss reports again. */
    EXPECT_EQ(1, script_Expect(TK_RPAREN));
    EXPECT_EQ(0, script_Expect(TK_RPAREN));
    EXPECT_EQ((Lines{"Expected ; at 1 (a)",
                     "Error: Unexpected end of file at 6 (a)"}),
              g_boxes);
}

/* ---- compiler ------------------------------------------------------------ */

struct CompileRow {
    const char *name;
    std::string src;
    int ok;
    Lines boxes;
};

static std::string params(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += (i ? ", p" : "p") + std::to_string(i);
    return s;
}

static std::string functions(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += "f" + std::to_string(i) + "() { return " + std::to_string(i) +
             "; }\n";
    return s;
}

static std::string defines(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += "define c" + std::to_string(i) + " " + std::to_string(i) + "\n";
    return s;
}

TEST_F(ScriptTest, CompileMessages)
{
    const std::vector<CompileRow> rows = {
        {"comments only", "// Name=x\r\n/* nothing */\r\n", 1, {}},
        {"empty text", "", 1, {}},
        {"define then a semicolon", "define x 5;", 0,
         {"Expected define or function definition at 10 (x)",
          "Expected ; at 10 (x)"}},
        {"stray token at the top", "f() {}\n  ) ", 0,
         {"Expected define or function definition at 6 (f)",
          "Expected ) at 6 (f)"}},
        {"define a negative number", "define x -1", 0,
         {"Expected int const at 8 (x)"}},
        {"define without a name", "define 5 x", 0,
         {"Expected identifier at 6 (define)"}},
        {"define a name as value", "define x y", 0,
         {"Expected int const at 8 (y)"}},
        {"define true", "define true 2", 0,
         {"Error: Constant already defined at 13 (true)"}},
        {"define twice", "define k 1 define k 2 f() {}", 0,
         {"Error: Constant already defined at 22 (f)"}},
        {"function defined twice", "f() {}\nf() {}", 0,
         {"Error: Function already defined at 7 (f)"}},
        {"eight params", "f(" + params(8) + ") {}", 1, {}},
        {"nine params", "f(" + params(9) + ") {}", 0,
         {"Error: Too much params at 34 (p8)"}},
        {"param twice", "f(a, b, a) {}", 0,
         {"Error: Param already defined at 8 (a)"}},
        {"params not separated", "f(a b) {}", 0,
         {"Expected ) or , at 3 (b)"}},
        {"param not a name", "f(1) {}", 0, {"Expected identifier at 2 (f)"}},
        {"param a keyword", "f(if) {}", 0, {"Expected identifier at 2 (if)"}},
        {"text ends in the params", "f(a", 0,
         {"Error: Unexpected end of file at 3 (a)"}},
        {"text ends after (", "f(", 0, {"Expected identifier at 2 (f)"}},
        {"text ends after the params", "f()", 0,
         {"Error: Unexpected end of file at 3 (f)"}},
        {"text ends in the body", "f() { return 1;", 0,
         {"Error: Unexpected end of file at 15 (return)"}},
        {"no (", "f {}", 0, {"Expected ( at 1 (f)"}},
        {"no {", "f() x", 0, {"Expected { at 3 (x)"}},
        {"eight locals", "f() { var a b c d e f1 g h; }", 1, {}},
        {"nine locals", "f() { var a b c d e f1 g h i; }", 0,
         {"Error: Too much locals at 27 (i)"}},
        {"eight locals over two vars", "f() { var a, b, c; var d e f1 g h; }", 1,
         {}},
        {"local named like a param", "f(a) { var a; }", 0,
         {"Error: Variable already defined at 11 (a)"}},
        {"local twice", "f() { var a, a; }", 0,
         {"Error: Variable already defined at 13 (a)"}},
        {"nested var", "f() { if (1) { var a; } }", 0,
         {"Error: Can't declare nested vars. at 15 (var)"}},
        {"var list with a number", "f() { var a 1; }", 0,
         {"Expected , or ; at 11 (a)"}},
        {"var list at end of file", "f() { var a", 0,
         {"Error: Unexpected end of file at 11 (a)"}},
        {"local named like a function", "g() {}\nf() { var g; }", 0,
         {"Error: g at 0 (g)",
          "Error: Function with that name already defined at 0 (g)"}},
        {"param named like a function", "f(g) {}\ng() {}", 0,
         {"Error: g at 0 (f)",
          "Error: Function with that name already defined at 0 (f)"}},
        {"names like constants and built-ins", "f(true, copy) { var null; }",
         1, {}},
        {"trailing comma in params", "f(a, b,) {}", 1, {}},
        {"divide by a local", "f() { var n x; x = 10 / n; }", 1, {}},
        {"divide by zero in check mode", "f() { return 1 / 0; }", 1, {}},
        {"break outside loops", "f() { break; }", 0,
         {"Error: Can't break without loop. at 6 (break)"}},
        {"continue outside loops", "f() { if (1) continue; }", 0,
         {"Error: Can't continue without loop. at 13 (continue)"}},
        {"break in while", "f() { while (1) break; }", 1, {}},
        {"continue in for", "f() { for (;;) { continue; } }", 1, {}},
        {"break after a loop", "f() { while (1) {} break; }", 0,
         {"Error: Can't break without loop. at 19 (break)"}},
        {"copy with one argument", "f() { copy(\"a\"); }", 0,
         {"Error: Incompatible number of parameters at 15 (copy)"}},
        {"msgboxok with two arguments", "f() { msgboxok(1, 2); }", 0,
         {"Error: Incompatible number of parameters at 20 (msgboxok)"}},
        {"three arguments for two params", "g(a, b) {}\nf() { g(1, 2, 3); }",
         0, {"Error: Incompatible number of parameters at 27 (g)"}},
        {"arguments not separated", "f() { copy(1 2); }", 0,
         {"Expected , or ) at 12 (copy)"}},
        {"unknown identifier", "f() { zz; }", 0,
         {"Error: Unknown identifier at 6 (zz)", "Expected identifier at 5 (zz)"}},
        {"unknown call", "f() { zz(1); }", 0,
         {"Error: Unknown identifier at 6 (zz)", "Expected identifier at 5 (zz)"}},
        {"assignment to a number", "f() { 5 = 1; }", 0,
         {"Expected l-expr variable at 7 (f)"}},
        {"prefix decrement in parentheses", "f() { return ((--1)); }", 0,
         /* each assignment level on the way out meets the "--" again */
         {"Expected l-expr variable at 15 (return)",
          "Expected l-expr variable at 15 (return)",
          "Expected l-expr variable at 15 (return)"}},
        {"prefix increment", "f() { var x; ++x; }", 0,
         {"Expected l-expr variable at 12 (x)"}},
        {"missing ;", "f() { return 1 }", 0, {"Expected ; at 14 (return)"}},
        {"missing )", "f() { return (1; }", 0, {"Expected ) at 15 (return)"}},
        {"missing ( after if", "f() { if 1; }", 0, {"Expected ( at 8 (if)"}},
        {"comparison chain", "f() { return 1 < 2 < 3; }", 0,
         {"Expected ; at 18 (return)"}},
        {"equality chain", "f() { return 1 == 1 == 1; }", 0,
         {"Expected ; at 19 (return)"}},
        {"else without if", "f() { else; }", 0, {"Expected ; at 5 (else)"}},
        {"colon", "f() { return 1 : 2; }", 0, {"Expected ; at 14 (return)"}},
        {"illegal char in a body", "f() { # }", 0,
         {"Error: Illegal char at 6 (f)"}},
        {"illegal char first", "#f() {}", 0, {"Error: Illegal char at 0 ()"}},
        {"accented letter outside a literal", "f() { x\xc3\xa4\xc3\xa4; }", 0,
         /* one box per byte: the scanner goes on after each */
         {"Error: Illegal char at 7 (x)", "Error: Illegal char at 8 (x)",
          "Error: Illegal char at 9 (x)", "Error: Illegal char at 10 (x)"}},
        {"illegal char, then a literal not closed", "f() { # \"ab }", 0,
         {"Error: Illegal char at 6 (f)", "Error: String too long at 8 (f)"}},
        {"comment not closed first", "/* f() {}", 0,
         {"Error: Comment not closed at 0 ()"}},
        {"long name first", std::string(40, 'a') + "() {}", 0,
         {"Error: Identifier too long at 0 (" + std::string(32, 'a') + ")"}},
        {"sixteen functions", functions(16), 1, {}},
        {"seventeenth function", functions(17), 0, {}},
        {"seventeenth function named like the first",
         functions(16) + "f0() {}", 0, {}},
        {"61 defines", defines(61) + "f() { return c60; }", 1, {}},
        {"62nd define (65th constant)", defines(62), 0, {}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        EXPECT_EQ(r.ok, compile(r.src));
        EXPECT_EQ(r.boxes, g_boxes);
        EXPECT_EQ(r.ok ? 0 : 1, S.CheckMode);
        if (r.ok)
            EXPECT_EQ(0, script_HasError());
    }
}

TEST_F(ScriptTest, CompiledTables)
{
    ASSERT_EQ(1, compile("// Name=x\r\ndefine K 0x10\r\n"
                         "Init(A, B,) { var c, D e; return A; }\r\n"
                         "Install() { return K; }\r\n"));
    ASSERT_EQ(2, S.FunctionCount);
    EXPECT_STREQ("init", S.Functions[0].Name);
    EXPECT_EQ(2, S.Functions[0].ParamCount);
    EXPECT_STREQ("b", S.Functions[0].ParamNames[1]);
    EXPECT_EQ(3, S.Functions[0].LocalCount);
    EXPECT_STREQ("d", S.Functions[0].LocalNames[1]);
    EXPECT_EQ(4, S.ConstantCount);
    EXPECT_STREQ("k", S.Constants[3].Name);
    EXPECT_EQ(16, S.Constants[3].Value);
    EXPECT_EQ(TK_LBRACE, S.Functions[1].Body.Mark.Token);
    EXPECT_EQ(1, script_IsFunction("INSTALL"));
    EXPECT_EQ(1, script_IsFunction("init"));
    EXPECT_EQ(0, script_IsFunction("k"));
    EXPECT_EQ(0, script_IsFunction("copy"));
    EXPECT_EQ(16, script_Call("Install"));
}

/* ---- expressions --------------------------------------------------------- */

struct ExprRow {
    const char *name;
    std::string body;        /* statements before the return */
    std::string expr;
    ScriptValue value;       /* when text is null */
    const char *text;        /* a text result */
    Lines calls;
};

/* A script around one expression: locals a..z, helpers one() and
 * two(p, q), constant k = 16; t() runs the body and returns the value. */
static std::string expr_script(const ExprRow &r)
{
    return "define k 0x10\n"
           "one() { return 1; }\n"
           "two(p, q) { return p * 10 + q; }\n"
           "text() { return \"abc\"; }\n"
           "t() { var a b c x y z; " + r.body + " return " + r.expr + "; }\n";
}

TEST_F(ScriptTest, ExpressionValues)
{
    const std::vector<ExprRow> rows = {
        {"7 / 2", "", "7 / 2", 3, nullptr, {}},
        {"-7 / 2", "", "-7 / 2", -3, nullptr, {}},
        {"7 / -2", "", "7 / -2", -3, nullptr, {}},
        {"precedence", "", "1 + 2 * 3", 7, nullptr, {}},
        {"parentheses", "", "(1 + 2) * 3", 9, nullptr, {}},
        {"minus groups left", "", "10 - 3 - 2", 5, nullptr, {}},
        {"division groups left", "", "100 / 10 / 5", 2, nullptr, {}},
        {"not 5", "", "!5", 0, nullptr, {}},
        {"not 0", "", "!0", 1, nullptr, {}},
        {"not not", "", "!!7", 1, nullptr, {}},
        {"minus minus", "", "- - 5", 5, nullptr, {}},
        {"unary in a product", "", "2 * -3", -6, nullptr, {}},
        {"not binds tighter than plus", "", "!0 + 1", 2, nullptr, {}},
        {"max + 1 wraps", "", "2147483647 + 1", INT32_MIN, nullptr, {}},
        {"min - 1 wraps", "", "-2147483647 - 2", INT32_MAX, nullptr, {}},
        {"min / -1 wraps", "", "-2147483648 / -1", INT32_MIN, nullptr, {}},
        {"negating min", "", "-(-2147483647 - 1)", INT32_MIN, nullptr, {}},
        {"product wraps to 0", "", "65536 * 65536", 0, nullptr, {}},
        {"product wraps", "", "65537 * 65537", 131073, nullptr, {}},
        {"product goes negative", "", "2147483647 * 2", -2, nullptr, {}},
        {"hex sum wraps", "", "0x7fffffff + 0x7fffffff", -2, nullptr, {}},
        {"less", "", "-1 < 0", 1, nullptr, {}},
        {"less equal", "", "2 <= 1", 0, nullptr, {}},
        {"greater", "", "5 > 3", 1, nullptr, {}},
        {"greater equal", "", "3 >= 3", 1, nullptr, {}},
        {"signed comparison of wrapped values", "", "2147483647 + 1 < 0", 1,
         nullptr, {}},
        {"comparison then equality", "", "1 < 2 == 1", 1, nullptr, {}},
        {"not equal", "", "2 != 3", 1, nullptr, {}},
        {"and, or", "", "1 == 1 && 2 != 3 || 0", 1, nullptr, {}},
        {"or of nonzero gives 1", "", "5 || 0", 1, nullptr, {}},
        {"and of nonzero gives 1", "", "5 && 7", 1, nullptr, {}},
        {"or of zeros", "", "0 || 0", 0, nullptr, {}},
        {"single operand unchanged", "", "5", 5, nullptr, {}},
        {"single negative operand unchanged", "", "-9", -9, nullptr, {}},
        {"predefined constants", "", "null * 100 + true * 10 + false", 10,
         nullptr, {}},
        {"capital TRUE", "", "TRUE", 1, nullptr, {}},
        {"define", "", "k + K", 32, nullptr, {}},
        {"chained assignment", "x = y = 3;", "x * 10 + y", 33, nullptr, {}},
        {"+= gives the new value", "x = 4; y = (x += 2);", "x * 100 + y", 606,
         nullptr, {}},
        {"-= and *=", "x = 4; x -= 1; x *= -3;", "x", -9, nullptr, {}},
        {"/= truncates", "x = 20; x /= 3;", "x", 6, nullptr, {}},
        {"/= negative", "x = -20; x /= 3;", "x", -6, nullptr, {}},
        {"postfix increment", "x = 5; y = x++;", "x * 10 + y", 65, nullptr, {}},
        {"postfix decrement", "x = 5; y = x--;", "x * 10 + y", 45, nullptr, {}},
        {"+= reads the variable after the right side",
         "x = 7; y = (x += x = 1);", "x * 100 + y", 208, nullptr, {}},
        {"assignment value", "", "(x = 4) + x", 8, nullptr, {}},
        {"script calls", "", "two(3, 4) * 2 + one()", 69, nullptr, {}},
        {"both sides of ||", "", "iswin95() || iswin98()", 1, nullptr,
         {"iswin95()", "iswin98()"}},
        {"both sides of &&", "", "iswinme() && iswinnt()", 0, nullptr,
         {"iswinme()", "iswinnt()"}},
        {"built-in value", "", "iswin95() * 10 + iswin98()", 11, nullptr,
         {"iswin95()", "iswin98()"}},
        {"literal", "", "\"abc\"", 0, "abc", {}},
        {"literal plus one", "", "\"abcd\" + 1", 0, "bcd", {}},
        {"one plus literal", "", "2 + \"abcd\"", 0, "cd", {}},
        {"literal moved and back", "", "\"abcd\" + 3 - 1", 0, "cd", {}},
        {"not a literal", "", "!\"x\"", 0, nullptr, {}},
        {"same literal twice differs", "", "\"a\" == \"a\"", 0, nullptr, {}},
        {"text result of a call", "", "text()", 0, "abc", {}},
        {"text result of a call, moved", "", "text() + 2", 0, "c", {}},
        {"text in a variable", "x = \"hello\";", "x + 1", 0, "ello", {}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        g_result[SB_ISWIN95] = 1;
        g_result[SB_ISWIN98] = 1;
        g_result[SB_ISWINNT] = 1;
        ASSERT_EQ(1, compile(expr_script(r))) << g_src;
        ScriptValue v = script_Call("t");
        if (r.text)
            EXPECT_EQ(std::string("\"") + r.text + "\"", show(v));
        else {
            EXPECT_EQ(nullptr, script_Text(v));
            EXPECT_EQ(r.value, v);
        }
        EXPECT_EQ(r.calls, g_calls);
        EXPECT_TRUE(g_boxes.empty());
    }
}

/* ---- statements ---------------------------------------------------------- */

struct RunRow {
    const char *name;
    std::string src;
    ScriptValue value;   /* of t() */
    Lines calls;
    Lines boxes;
};

static void run_rows(const std::vector<RunRow> &rows)
{
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        ASSERT_EQ(1, compile(r.src)) << g_src;
        EXPECT_EQ(r.value, script_Call("t"));
        EXPECT_EQ(r.calls, g_calls);
        EXPECT_EQ(r.boxes, g_boxes);
        EXPECT_EQ(r.boxes.empty() ? 0 : 1, script_HasError());
        EXPECT_EQ(0, S.Depth) << "nesting unwound";
        EXPECT_EQ(0, S.CursorTop) << "cursors given back";
    }
}

TEST_F(ScriptTest, Statements)
{
    run_rows({
        {"for sums", "t() { var i s; for (i = 0; i < 10; i++) s += i; return s; }",
         45, {}, {}},
        {"for (;;) with break",
         "t() { var i; for (;;) { i++; if (i == 3) break; } return i; }", 3, {},
         {}},
        {"for (;;) { break; }", "t() { for (;;) { break; } return 7; }", 7, {},
         {}},
        {"for order of parts",
         "t() { var i; for (setprogsteps(9); i < 2; setprogsteps(i++))"
         " msgboxok(\"b\"); return i; }",
         2,
         {"setprogsteps(9)", "msgboxok(\"b\")", "setprogsteps(0)",
          "msgboxok(\"b\")", "setprogsteps(1)"},
         {}},
        {"for condition false at once",
         "t() { for (; 0; progstep()) msgboxok(\"x\"); return 4; }", 4, {}, {}},
        {"continue runs the step",
         "t() { var i s; for (i = 0; i < 6; i++) { if (i / 2 * 2 == i) "
         "continue; s += i; } return s; }",
         9, {}, {}},
        {"while () never runs", "t() { while () { progstep(); } return 7; }", 7,
         {}, {}},
        {"while with break",
         "t() { var i; while (1) { i++; if (i > 4) break; } return i; }", 5, {},
         {}},
        {"break leaves the condition alone",
         "t() { while (iswin95() + 1) { break; } return 2; }", 2,
         {"iswin95()"}, {}},
        {"while condition every time",
         "t() { var i; while (i < 2) { setprogsteps(i); i++; } return i; }", 2,
         {"setprogsteps(0)", "setprogsteps(1)"}, {}},
        {"continue in while",
         "t() { var i s; while (i < 5) { i++; if (i == 2) continue; s += i; }"
         " return s; }",
         13, {}, {}},
        {"break leaves the inner loop only",
         "t() { var i j n; for (i = 0; i < 3; i++) for (j = 0; ; j++) "
         "{ if (j == 2) break; n++; } return n; }",
         6, {}, {}},
        {"return from nested loops",
         "t() { var i j; for (i = 0; i < 5; i++) while (1) { j++; "
         "if (i == 2) return i * 10 + j; break; } return 99; }",
         23, {}, {}},
        {"return; gives 1", "t() { return; }", 1, {}, {}},
        {"no return gives 0", "t() { progstep(); }", 0, {"progstep()"}, {}},
        {"empty body gives 0", "t() {}", 0, {}, {}},
        {"if else both ways",
         "u(a) { if (a) return 1; else return 2; }\n"
         "t() { return u(1) * 10 + u(0); }",
         12, {}, {}},
        {"if else in a skipped statement",
         "t() { var a; a = 1; if (0) { if (a) return 1; else return 2; } "
         "return 3; }",
         3, {}, {}},
        {"skipped if with a dangling else",
         "t() { var a; if (0) if (a) return 1; else return 2; return 3; }", 3,
         {}, {}},
        {"else after a skipped if",
         "t() { if (0) msgboxok(\"a\"); else msgboxok(\"b\"); return 1; }", 1,
         {"msgboxok(\"b\")"}, {}},
        {"else skipped",
         "t() { if (1) msgboxok(\"a\"); else msgboxok(\"b\"); return 1; }", 1,
         {"msgboxok(\"a\")"}, {}},
        {"skipped if with a call in its condition",
         "two(p, q) { setprogsteps(p); return q; }\n"
         "t() { if (0) { if (two(1, (2))) { setprogsteps(9); } "
         "setprogsteps(8); } return 4; }",
         4, {}, {}},
        {"calls in skipped conditions",
         "t() { if (0) { while (iswin95()) {} for (iswin95(); iswin98(); "
         "progstep()) {} if (iswinme()) ; } return 1; }",
         1, {}, {}},
        {"skipped return, break, continue, var, block",
         "t() { var i; if (0) { return 5; } if (0) for (;;) { break; continue; } "
         "if (0) var; if (0) {} return 6; }",
         6, {}, {}},
        {"return inside else", "t() { if (0) ; else { return 8; } return 9; }",
         8, {}, {}},
        {"return after else block",
         "t() { if (1) { progstep(); } else { return 8; } return 9; }", 9,
         {"progstep()"}, {}},
        {"var does not reset locals",
         "t() { var x; x = 4; var y; return x; }", 4, {}, {}},
        {"literal per iteration",
         "t() { var i; for (i = 0; i < 3; i++) msgboxok(\"x\"); return i; }", 3,
         {"msgboxok(\"x\")", "msgboxok(\"x\")", "msgboxok(\"x\")"}, {}},
        {"parameterless function called from another",
         "u() { return 5; }\nt() { return u() + u(); }", 10, {}, {}},
        {"expression statements",
         "t() { var x; x; 1 + 2; \"s\"; ; ; return x; }", 0, {}, {}},
    });
}

/* ---- variables and calls ------------------------------------------------- */

TEST_F(ScriptTest, LocalsKeepTheirValues)
{
    ASSERT_EQ(1, compile("cnt() { var n; n++; return n; }"));
    for (int i = 1; i <= 3; i++)
        EXPECT_EQ(i, script_Call("cnt")) << "call " << i;
    EXPECT_EQ(4, script_Call("CNT")) << "names ignore case";
    EXPECT_EQ(0, script_Call("nothing"));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(ScriptTest, CallsAndArguments)
{
    run_rows({
        {"recursion shares locals",
         "r(n) { var k; k = n; if (n > 0) r(n - 1); return k; }\n"
         "t() { return r(3); }",
         0, {}, {}},
        {"recursion shares parameters",
         "p(n) { if (n > 0) p(n - 1); return n; }\nt() { return p(3); }", 0, {},
         {}},
        {"recursion that returns at once",
         "f(n) { if (n == 0) return 0; return n + f(n - 1); }\n"
         "t() { return f(50); }",
         1275, {}, {}},
        {"call inside another call's arguments",
         "two(p, q) { return p * 100 + q; }\n"
         "t() { return two(1, two(2, 3)); }",
         303, {}, {}},
        {"call as first argument",
         "two(p, q) { return p * 100 + q; }\n"
         "t() { return two(two(2, 3), 1); }",
         20301, {}, {}},
        {"text argument",
         "show(s) { msgboxok(s); return 0; }\nt() { show(\"hello\"); }", 0,
         {"msgboxok(\"hello\")"}, {}},
        {"text argument outlives seven literals",
         "show(s) { \"1\"; \"2\"; \"3\"; \"4\"; \"5\"; \"6\"; \"7\"; "
         "msgboxok(s); }\nt() { show(\"kept\"); }",
         0, {"msgboxok(\"kept\")"}, {}},
        {"two text arguments",
         "pair(a, b) { msgboxok(a); msgboxok(b); }\n"
         "t() { pair(\"first\", \"second\"); }",
         0, {"msgboxok(\"first\")", "msgboxok(\"second\")"}, {}},
        {"text argument moved",
         "show(s) { msgboxok(s); }\nt() { show(\"hello\" + 2); }", 0,
         {"msgboxok(\"llo\")"}, {}},
        {"text result",
         "name() { return \"abc\"; }\nt() { msgboxok(name()); }", 0,
         {"msgboxok(\"abc\")"}, {}},
        {"text result in a variable outlives seven literals",
         "name() { return \"abc\"; }\n"
         "t() { var s; s = name(); \"1\"; \"2\"; \"3\"; \"4\"; \"5\"; \"6\"; "
         "\"7\"; msgboxok(s); }",
         0, {"msgboxok(\"abc\")"}, {}},
        {"text result beside a text argument",
         "name() { return \"abc\"; }\n"
         "cat(a, b) { msgboxok(a); msgboxok(b); return b; }\n"
         "t() { msgboxok(cat(\"x\", name())); }",
         0, {"msgboxok(\"x\")", "msgboxok(\"abc\")", "msgboxok(\"abc\")"}, {}},
        {"text through a recursion",
         "rep(s, n) { if (n > 0) return rep(s, n - 1); return s; }\n"
         "t() { msgboxok(rep(\"deep\", 5)); }",
         0, {"msgboxok(\"deep\")"}, {}},
        {"text handed on",
         "in(s) { msgboxok(s); return s; }\nout(s) { return in(s); }\n"
         "t() { msgboxok(out(\"relay\")); }",
         0, {"msgboxok(\"relay\")", "msgboxok(\"relay\")"}, {}},
        {"text result kept through a for loop",
         "name() { return \"abc\"; }\n"
         "t() { var i s; for (i = 0; i < 2; i++) s = name(); msgboxok(s); }",
         0, {"msgboxok(\"abc\")"}, {}},
        {"text result kept through a loop body with a literal",
         "name() { return \"abc\"; }\n"
         "t() { var i s; for (i = 0; i < 1; i++) { s = name(); "
         "msgboxok(\"x\"); } msgboxok(s); }",
         0, {"msgboxok(\"x\")", "msgboxok(\"abc\")"}, {}},
        {"text result kept through a while loop left by break",
         "name() { return \"abc\"; }\n"
         "t() { var s; while (1) { s = name(); \"y\"; break; } msgboxok(s); }",
         0, {"msgboxok(\"abc\")"}, {}},
        {"text argument used inside the callee's loop",
         "show(s) { var i; for (i = 0; i < 2; i++) { \"z\"; msgboxok(s); } }\n"
         "t() { show(\"loop\"); }",
         0, {"msgboxok(\"loop\")", "msgboxok(\"loop\")"}, {}},
        {"caller's literals survive a call",
         "name() { \"a\"; \"b\"; \"c\"; \"d\"; \"e\"; \"f\"; \"g\"; \"h\"; "
         "\"i\"; return 0; }\n"
         "t() { var s; s = \"mine\"; name(); msgboxok(s); }",
         0, {"msgboxok(\"mine\")"}, {}},
        {"built-in beats a script function",
         "msgboxok(s) { progstep(); return 99; }\n"
         "t() { return msgboxok(\"hi\"); }",
         0, {"msgboxok(\"hi\")"}, {}},
    });
}

TEST_F(ScriptTest, BuiltinResultAndHostCallOfSameName)
{
    g_result[SB_MSGBOXOK] = 5;
    ASSERT_EQ(1, compile("msgboxok(s) { progstep(); return 99; }\n"
                         "t() { return msgboxok(\"hi\"); }"));
    EXPECT_EQ(5, script_Call("t"));
    EXPECT_EQ(1, script_IsFunction("msgboxok"));
    EXPECT_EQ(99, script_Call("msgboxok")) << "the host reaches the script";
    EXPECT_EQ((Lines{"msgboxok(\"hi\")", "progstep()"}), g_calls);
}

TEST_F(ScriptTest, HandlerWithoutBinding)
{
    /* A null table reads the arguments and gives 0. */
    ScriptHost host = {record_box, nullptr};
    script_SetHost(&host);
    ASSERT_EQ(1, compile("t() { return copy(\"a\", 1 + 2) + 4; }"));
    EXPECT_EQ(4, script_Call("t"));
    EXPECT_TRUE(g_boxes.empty());
}

/* ---- string slots and cursors -------------------------------------------- */

TEST_F(ScriptTest, SlotReuse)
{
    run_rows({
        {"text readable after seven more literals",
         "t() { var s; s = \"keep\"; \"1\"; \"2\"; \"3\"; \"4\"; \"5\"; \"6\"; "
         "\"7\"; msgboxok(s); }",
         0, {"msgboxok(\"keep\")"}, {}},
        {"text overwritten by the eighth",
         "t() { var s; s = \"keep\"; \"1\"; \"2\"; \"3\"; \"4\"; \"5\"; \"6\"; "
         "\"7\"; \"8\"; msgboxok(s); }",
         0, {"msgboxok(\"8\")"}, {}},
        {"a loop brings the slots back",
         "t() { var i s; for (i = 0; i < 3; i++) { if (i == 0) s = \"keep\"; "
         "\"1\"; \"2\"; \"3\"; \"4\"; \"5\"; \"6\"; msgboxok(s); } }",
         0, {"msgboxok(\"keep\")", "msgboxok(\"keep\")", "msgboxok(\"keep\")"},
         {}},
    });
}

TEST_F(ScriptTest, CursorRestoreBringsBackSlots)
{
    g_src = "\"s0\" \"s1\" \"s2\" \"s3\" \"s4\" \"s5\" \"s6\" \"s7\" "
            "\"n0\" \"n1\" \"n2\" \"n3\" \"n4\" \"n5\" \"n6\" \"n7\" \"n8\" x";
    script_Prepare(&g_src[0]);
    for (int i = 0; i < 7; i++)
        script_NextToken();
    ScriptCursor *saved = new ScriptCursor;
    script_SaveCursor(saved);
    int index = SC.SlotIndex, token_start = S.TokenStart;
    std::vector<std::string> before;
    for (int i = 0; i < SCRIPT_SLOTS; i++)
        before.push_back(S.Scan.Slots[i]);
    for (int i = 0; i < 9; i++)
        script_NextToken();
    ASSERT_EQ(TK_STRING, SC.Token);
    EXPECT_STREQ("n8", S.Scan.Slots[SC.SlotIndex]);
    script_RestoreCursor(saved);
    EXPECT_EQ(index, SC.SlotIndex);
    EXPECT_EQ(TK_STRING, SC.Token);
    for (int i = 0; i < SCRIPT_SLOTS; i++)
        EXPECT_EQ(before[i], S.Scan.Slots[i]) << "slot " << i;
    EXPECT_STREQ("s7", S.Scan.Slots[SC.SlotIndex]);
    /* Scanning on from the restored place gives the same tokens again. */
    script_NextToken();
    EXPECT_STREQ("n0", S.Scan.Slots[SC.SlotIndex]);
    EXPECT_EQ(token_start + 5, S.TokenStart);
    delete saved;
}

/* ---- run-time errors ----------------------------------------------------- */

TEST_F(ScriptTest, RuntimeErrorsStick)
{
    ASSERT_EQ(1, compile("f() { return 3; }\n"
                         "t() { var x; x = 5; x = 10 / 0; setprogsteps(x); "
                         "return 1; }\n"
                         "u() { var x; x = 5; return 2; }\n"));
    EXPECT_EQ(3, script_Call("f"));
    EXPECT_EQ(0, script_Call("t"));
    EXPECT_EQ((Lines{"Error: Divide by zero at 48 (x)"}), g_boxes);
    EXPECT_EQ(0, S.Functions[1].LocalValues[0]) << "x set to 0";
    EXPECT_EQ(1, script_HasError());
    EXPECT_EQ(0, script_Call("f")) << "later calls give 0";
    EXPECT_EQ(0, script_Call("u"));
    EXPECT_EQ(0, S.Functions[2].LocalValues[0]) << "u did not run";
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(1u, g_boxes.size());
}

TEST_F(ScriptTest, DivideAssignByZero)
{
    ASSERT_EQ(1, compile("u() { var x; x = 5; x /= 0; return 2; }"));
    EXPECT_EQ(0, script_Call("u"));
    EXPECT_EQ((Lines{"Error: Divide by zero at 26 (x)"}), g_boxes);
    EXPECT_EQ(0, S.Functions[0].LocalValues[0]);
}

TEST_F(ScriptTest, TrailingCommaMeetsTheHandler)
{
    /* Passes the count at compile time; the handler wants ")". */
    ASSERT_EQ(1, compile("t() { msgboxok(\"a\",); return 1; }"));
    EXPECT_EQ(0, script_Call("t"));
    /* and the statement then expects its ";" where the "," stands */
    EXPECT_EQ((Lines{"Expected ) at 18 (msgboxok)", "Expected ; at 18 (msgboxok)"}),
              g_boxes);
    EXPECT_EQ((Lines{"msgboxok(\"a\")"}), g_calls);
}

/* ---- nesting ------------------------------------------------------------- */

/* compiles: 1 compiles and fails running, 0 fails compiling, -1 compiles
 * and fails running with another error first. */
struct DepthRow {
    const char *name;
    std::string src;
    int compiles;
};

TEST_F(ScriptTest, NestingTooDeepStopsCleanly)
{
    const std::vector<DepthRow> rows = {
        {"unbounded recursion", "t() { return t(); }", 1},
        {"recursion in a loop", "t() { for (;;) t(); }", 1},
        {"recursion in arguments", "t() { return two(t(), 1); }\n"
         "two(a, b) { return a; }", 1},
        {"recursion in a condition", "t() { while (t()) ; }", 1},
        {"recursion as a divisor", "t() { return 10 / t(); }", 1},
        {"recursion as a /= divisor", "t() { var x; x /= t(); }", 1},
        {"2000 nested parentheses",
         "t() { return " + rep("(", 2000) + "1" + rep(")", 2000) + "; }", 0},
        {"2000 nested blocks", "t() { " + rep("{", 2000) + rep("}", 2000) + " }",
         0},
        {"2000 nested ifs", "t() { " + rep("if (1) ", 2000) + "return 1; }", 0},
        {"300 nested for loops",
         "t() { var i; " + rep("for (i = 0; i < 2; i++) ", 300) + "; return 1; }",
         1},
        {"300 nested whiles", "t() { " + rep("while (1) ", 300) + "return 1; }",
         1},
        {"5000 nots", "t() { return " + rep("!", 5000) + "0; }", 0},
        {"5000 minus signs", "t() { return " + rep("- ", 5000) + "0; }", 0},
        {"error in the initialiser of the for that runs out of cursors",
         "t() { var i; " + rep("for (i = 0; i < 2; i++) ", 85) +
             "for (i = 1 / 0; i < 2; i++) ; return 1; }",
         -1},
        {"950 parentheses in a recursion",
         "t() { return u(20); }\nu(n) { if (n) return u(n - 1); return " +
             rep("(", 950) + "1" + rep(")", 950) + "; }",
         1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        fresh();
        ASSERT_EQ(r.compiles != 0, compile(r.src));
        if (r.compiles)
            EXPECT_EQ(0, script_Call("t"));
        EXPECT_EQ(1u, g_boxes.size());
        const char *first = r.compiles < 0 ? "Error: Divide by zero at "
                                           : "Error: Nesting too deep at ";
        if (!g_boxes.empty())
            EXPECT_EQ(0u, g_boxes[0].find(first)) << g_boxes[0];
        EXPECT_EQ(1, script_HasError());
        EXPECT_EQ(0, S.Depth);
        EXPECT_EQ(0, S.CursorTop);
    }
}

TEST_F(ScriptTest, ReasonableNestingRuns)
{
    run_rows({
        {"30 nested ifs", "t() { " + rep("if (1) ", 30) + "return 30; }", 30, {},
         {}},
        {"recursion 50 deep",
         "f(n) { if (n == 0) return 0; return 1 + f(n - 1); }\n"
         "t() { return f(50); }",
         50, {}, {}},
        {"60 nested parentheses",
         "t() { return " + rep("(", 60) + "6" + rep(")", 60) + "; }", 6, {}, {}},
        {"20 nested for loops",
         "t() { var i n; " + rep("for (i = 0; i < 1; i++) ", 20) +
             "n++; return n * 100 + i; }",
         120, {}, {}},
        {"100 nested blocks", "t() { " + rep("{", 100) + "return 3;" +
                                  rep("}", 100) + " }",
         3, {}, {}},
    });
}

TEST_F(ScriptTest, StepLimit)
{
    /* t() runs two statements: its block and the return. */
    const char *src = "t() { return 1; }\nloop() { for (;;) ; }";
    ASSERT_EQ(1, compile(src));
    script_SetStepLimit(2);
    EXPECT_EQ(1, script_Call("t"));
    EXPECT_TRUE(g_boxes.empty());

    ASSERT_EQ(1, compile(src));
    script_SetStepLimit(1);
    EXPECT_EQ(0, script_Call("t"));
    EXPECT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].find("Error: Too many steps at ")) << g_boxes[0];

    g_boxes.clear();
    ASSERT_EQ(1, compile(src));
    script_SetStepLimit(10000);
    EXPECT_EQ(0, script_Call("loop"));
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(0u, g_boxes[0].find("Error: Too many steps at ")) << g_boxes[0];
    EXPECT_EQ(0, S.Depth);
    EXPECT_EQ(0, S.CursorTop);
}

/* ---- settings ------------------------------------------------------------ */

struct SettingRow {
    const char *name;
    std::string text;
    const char *setting;
    size_t capacity;
    int found;
    const char *value;   /* "untouched" when not found */
};

TEST_F(ScriptTest, GetString)
{
    const std::vector<SettingRow> rows = {
        {"value up to CR LF", "// Product=Acme Tools\r\n// Name=x\r\n", "Product",
         256, 1, "Acme Tools"},
        {"bare LF runs on", "// Company=Acme\n// Product=X\r\n", "Company", 256,
         1, "Acme\n// Product=X"},
        {"value to the end of the text", "// Company=Acme", "Company", 256, 1,
         "Acme"},
        {"empty value", "// Company=\r\n", "Company", 256, 1, ""},
        {"space kept", "// Name= X \r\n", "Name", 256, 1, " X "},
        {"hidden by #", "// LogPath#C:\\Logs\r\n", "LogPath", 256, 0,
         "untouched"},
        {"absent", "// Name=x\r\n", "Product", 256, 0, "untouched"},
        {"case-sensitive", "// name=x\r\n", "Name", 256, 0, "untouched"},
        {"first occurrence, inside a word", "// MyName=a\r\n// Name=b\r\n",
         "Name", 256, 1, "a"},
        {"first occurrence only", "// Name is\r\n// Name=b\r\n", "Name", 256, 0,
         "untouched"},
        {"capitals folded in code", "t() { var name x; NAME=X; }", "NAME", 256, 0,
         "untouched"},
        {"capacity cuts", "// Name=abcdef\r\n", "Name", 4, 1, "abc"},
        {"capacity fits exactly", "// Name=abcdef\r\n", "Name", 7, 1, "abcdef"},
        {"capacity one", "// Name=abcdef\r\n", "Name", 1, 1, ""},
        {"capacity zero", "// Name=abcdef\r\n", "Name", 0, 0, "untouched"},
        {"empty name", "// Name=abcdef\r\n", "", 256, 0, "untouched"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        ASSERT_EQ(1, compile(r.text));
        char out[300] = "untouched";
        EXPECT_EQ(r.found, script_GetString(r.setting, out, r.capacity));
        EXPECT_STREQ(r.value, out);
    }
}

struct IntRow {
    const char *name;
    std::string text;
    const char *setting;
    int found;
    int value;   /* -7 when untouched */
};

TEST_F(ScriptTest, GetInt)
{
    const std::vector<IntRow> rows = {
        {"one", "// Update=1\r\n", "Update", 1, 1},
        {"empty is zero", "// Update=\r\n", "Update", 1, 0},
        {"absent", "// Name=x\r\n", "Update", 0, -7},
        {"digits then text", "// Update=12ab\r\n", "Update", 1, 12},
        {"no sign", "// Update=-3\r\n", "Update", 1, 0},
        {"no blanks", "// Update= 5\r\n", "Update", 1, 0},
        {"first = after the name", "// Update x=12\r\n", "Update", 1, 12},
        {"= of a later line", "// LogPath#C:\\Logs\r\n// Update=3\r\n",
         "LogPath", 1, 3},
        {"no = after the name", "// Update 5\r\n", "Update", 0, -7},
        {"first occurrence", "// NoLicense=1\r\n// License=4\r\n", "License", 1,
         1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        ASSERT_EQ(1, compile(r.text));
        int v = -7;
        EXPECT_EQ(r.found, script_GetInt(r.setting, &v));
        EXPECT_EQ(r.value, v);
    }
}

/* ---- text arguments ------------------------------------------------------ */

TEST_F(ScriptTest, TextAndTextBuffer)
{
    const char *slot0 = S.Scan.Slots[0];
    const char *slot7 = S.Scan.Slots[7];
    struct {
        const char *name;
        ScriptValue value;
        bool text;
        size_t capacity;
    } rows[] = {
        {"slot start", (ScriptValue)slot0, true, SCRIPT_SLOT_SIZE},
        {"moved into the slot", (ScriptValue)(slot0 + 5), true,
         SCRIPT_SLOT_SIZE - 5},
        {"moved into the next slot", (ScriptValue)(slot0 + 600), true,
         SCRIPT_SLOT_SIZE - 87},
        {"last byte of the last slot", (ScriptValue)(slot7 + 512), true, 1},
        {"past the last slot", (ScriptValue)(slot7 + 513), false, 0},
        {"before the first slot", (ScriptValue)(slot0 - 1), false, 0},
        {"null", 0, false, 0},
        {"an integer", 5, false, 0},
        {"a negative integer", -1, false, 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        EXPECT_EQ(r.text ? (const char *)r.value : nullptr, script_Text(r.value));
        size_t cap = 12345;
        char *buf = script_TextBuffer(r.value, &cap);
        EXPECT_EQ(r.text ? (char *)r.value : nullptr, buf);
        EXPECT_EQ(r.text ? r.capacity : 12345u, cap);
    }
    EXPECT_EQ(-1, script_Int(-1));
    EXPECT_EQ(7, script_Int(7));
    EXPECT_EQ(INT32_MIN, script_Int(INT32_MIN));
}

TEST_F(ScriptTest, HandlersRewriteTextsInPlace)
{
    g_expand = true;
    run_rows({
        {"path expanded, seen again through the variable",
         "t() { var s; s = \"%APPDIR%\\\\a.exe\"; copy(s, \"%windir%\\\\b\"); "
         "msgboxok(s); }",
         0,
         {"copy(\"D:\\App\\a.exe\",\"C:\\WINDOWS\\b\")",
          "msgboxok(\"D:\\App\\a.exe\")"},
         {}},
        {"too long for the slot",
         "t() { copy(\"%PRODUCTDIR%" + std::string(490, 'x') +
             "\", \"%PRODUCTDIR%" + std::string(485, 'y') + "\"); }",
         0, {"copy(\"\",\"C:\\Program Files\\Acme\\Tool" +
             std::string(485, 'y') + "\")"},
         {}},
        {"moved address has less room",
         "t() { copy(\"ab%APPDIR%\" + 2, \"x\"); }", 0,
         {"copy(\"D:\\App\",\"x\")"}, {}},
    });
}

/* ---- path macros --------------------------------------------------------- */

TEST(PathExpand, Macros)
{
    struct {
        const char *name;
        const char *text;
        size_t capacity;
        int ok;
        const char *result;
    } rows[] = {
        {"windir", "%WINDIR%\\x.exe", 64, 1, "C:\\WINDOWS\\x.exe"},
        {"winsysdir", "%WINSYSDIR%\\x", 64, 1, "C:\\WINDOWS\\System32\\x"},
        {"driverdir", "%DRIVERDIR%\\k.sys", 64, 1,
         "C:\\WINDOWS\\System32\\Drivers\\k.sys"},
        {"appdir alone", "%APPDIR%", 64, 1, "D:\\App"},
        {"progfilesdir", "%PROGFILESDIR%\\x", 64, 1, "C:\\Program Files\\x"},
        {"productdir", "%PRODUCTDIR%\\x", 64, 1,
         "C:\\Program Files\\Acme\\Tool\\x"},
        {"companydir", "%COMPANYDIR%\\x", 64, 1, "C:\\Program Files\\Acme\\x"},
        {"small letters", "%windir%\\x", 64, 1, "C:\\WINDOWS\\x"},
        {"mixed case", "%AppDir%x", 64, 1, "D:\\Appx"},
        {"only leading", "x%WINDIR%", 64, 1, "x%WINDIR%"},
        {"unclosed", "%WINDIR", 64, 1, "%WINDIR"},
        {"doubled percent", "%%WINDIR%", 64, 1, "%%WINDIR%"},
        {"no macro", "C:\\x", 64, 1, "C:\\x"},
        {"empty", "", 64, 1, ""},
        {"fits exactly", "%APPDIR%\\ab", 10, 1, "D:\\App\\ab"},
        {"one too long", "%APPDIR%\\ab", 9, 0, ""},
        {"shorter result still needs room", "%WINDIR%", 11, 1, "C:\\WINDOWS"},
        {"shorter result one too long", "%WINDIR%", 10, 0, ""},
        {"no macro, any capacity", "abc", 1, 1, "abc"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        char buf[128];
        strcpy(buf, r.text);
        memset(buf + strlen(buf) + 1, '#', sizeof buf - strlen(buf) - 1);
        EXPECT_EQ(r.ok, path_ExpandWith(buf, r.capacity, kFolders));
        EXPECT_STREQ(r.result, buf);
        for (size_t i = r.capacity; i < sizeof buf; i++)
            if (i > strlen(r.text))
                ASSERT_EQ('#', buf[i]) << "written past the capacity at " << i;
    }
    const char *no_app[PATH_MACROS] = {"C:\\W", nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr};
    char buf[32] = "%APPDIR%\\x";
    EXPECT_EQ(0, path_ExpandWith(buf, sizeof buf, no_app));
    EXPECT_STREQ("", buf) << "a folder not known yet fails the expansion";
    EXPECT_EQ(0, path_ExpandWith(buf, 0, kFolders));
    EXPECT_EQ(0, path_ExpandWith(nullptr, 10, kFolders));
}
