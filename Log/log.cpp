/* log.cpp -- the undo log as a list in memory and as a file.
 *
 * The file is read by another program (the uninstaller), so its layout is
 * fixed.  Little-endian; no header beyond the magic, no count, no checksum:
 *
 *     offset  size  content
 *     0       4     magic: the characters "log1" (0x31676F6C as an int32)
 *     4       ...   entries, in list order, until the end of the file
 *
 * Each entry:
 *
 *     size  content
 *     4     kind: int32, LOG_PRODUCT .. LOG_DRIVER (log.h)
 *     4     mask: int32; bit 0 text1 follows, bit 1 text2, bit 2 text3;
 *           the other bits 0
 *     ...   for each set bit, in the order text1, text2, text3: the text's
 *           characters (ANSI code page, no terminator, none at all for an
 *           empty text), then CR LF
 *
 * A text holds at most LOG_TEXT_MAX (511) characters and no CR or LF.  An
 * empty text is a bare CR LF and reads back empty, not absent.  A longer
 * text, or one holding a control character, is no text that setup
 * writes: it reads back absent, and the whole of its line is consumed.  Example,
 * one LOG_FILE entry "C:\a":
 *
 *     6C 6F 67 31  03 00 00 00  01 00 00 00  43 3A 5C 61 0D 0A
 */
#include "log.h"
#include "ident.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Log/log.cpp");

#define LOG_MAGIC 0x31676F6Cu   /* "log1" */
#define LOG_LINE  512           /* the reader's line buffer */
#define LOG_IO    4096          /* bytes per ReadFile / WriteFile */

/* ---- memory ---------------------------------------------------------- */

static void *mem_Alloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

static void mem_Free(void *block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

/* A heap copy of len characters and a terminator; null for null. */
static char *text_Copy(const char *text, size_t len)
{
    if (!text)
        return NULL;
    char *copy = (char *)mem_Alloc(len + 1);
    if (copy)
        memcpy(copy, text, len);
    return copy;
}

static void entry_Free(LogEntry *e)
{
    mem_Free(e->Text1);
    mem_Free(e->Text2);
    mem_Free(e->Text3);
    mem_Free(e);
}

static void list_Free(LogList *list)
{
    LogEntry *e = list->Head;
    while (e) {
        LogEntry *next = e->Next;
        entry_Free(e);
        e = next;
    }
    list->Head = list->Tail = NULL;
}

static void list_Append(LogList *list, LogEntry *e)
{
    e->Next = NULL;
    e->Prev = list->Tail;
    if (list->Tail)
        list->Tail->Next = e;
    else
        list->Head = e;
    list->Tail = e;
}

/* ---- the duplicate rule ---------------------------------------------- */

/* Letter case is folded as the file system folds it: character by
 * character in the ANSI code page (so "Ä" meets "ä"), never by the
 * linguistic comparison of lstrcmpi, which would also match "æ" and "ae".
 * The second byte of a double-byte character is compared as it is: it
 * may lie in the range of ASCII letters. */
static unsigned char fold[256] VELLUM_BSS;

static void fold_Init(void)
{
    if (fold['a'])
        return;
    for (int c = 0; c < 256; c++)
        fold[c] = (unsigned char)(ULONG_PTR)CharUpperA((LPSTR)(ULONG_PTR)c);
}

/* Null matches only null. */
static int text_SameNoCase(const char *a, const char *b)
{
    if (!a || !b)
        return a == b;
    const unsigned char *p = (const unsigned char *)a;
    const unsigned char *q = (const unsigned char *)b;
    for (;;) {
        if (fold[*p] != fold[*q])
            return 0;
        if (!*p)
            return 1;
        if (IsDBCSLeadByte(*p)) {
            p++, q++;
            if (*p != *q)
                return 0;
            if (!*p)
                return 1;
        }
        p++, q++;
    }
}

/* ---- recording ------------------------------------------------------- */

int log_Add(LogList *list, int kind, const char *text1, const char *text2,
            const char *text3)
{
    fold_Init();
    for (LogEntry *e = list->Head; e; e = e->Next)
        if (e->Kind == kind && text_SameNoCase(e->Text1, text1))
            return 0;
    LogEntry *e = (LogEntry *)mem_Alloc(sizeof *e);
    if (!e)
        return 0;
    e->Kind = kind;
    e->Text1 = text_Copy(text1, text1 ? strlen(text1) : 0);
    e->Text2 = text_Copy(text2, text2 ? strlen(text2) : 0);
    e->Text3 = text_Copy(text3, text3 ? strlen(text3) : 0);
    /* Half an entry would undo the wrong thing: all texts or none. */
    if ((text1 && !e->Text1) || (text2 && !e->Text2) || (text3 && !e->Text3)) {
        entry_Free(e);
        return 0;
    }
    list_Append(list, e);
    return 1;
}

/* The product entry always carries its three texts (mask 7), empty where
 * a name is missing, so the uninstaller finds them in their places. */
int log_AddProduct(LogList *list, const char *company, const char *product,
                   const char *folder)
{
    return log_Add(list, LOG_PRODUCT, company ? company : "",
                   product ? product : "", folder ? folder : "");
}

int log_AddDir(LogList *list, const char *folder)
{
    return log_Add(list, LOG_DIR, folder, NULL, NULL);
}

int log_AddFile(LogList *list, const char *file)
{
    return log_Add(list, LOG_FILE, file, NULL, NULL);
}

int log_AddSharedFile(LogList *list, const char *file, const char *name)
{
    return log_Add(list, LOG_SHAREDFILE, file, name, NULL);
}

int log_AddPrefsKey(LogList *list, const char *key)
{
    return log_Add(list, LOG_PREFSKEY, key, NULL, NULL);
}

int log_AddDriver(LogList *list, const char *file, const char *service)
{
    return log_Add(list, LOG_DRIVER, file, service, NULL);
}

LogEntry *log_Next(LogList *list, LogEntry *after, int kind)
{
    LogEntry *e = after ? after->Next : list->Head;
    while (e && kind && e->Kind != kind)
        e = e->Next;
    return e;
}

/* ---- loading --------------------------------------------------------- */

/* The file through a buffer: single bytes without a call each (a few
 * kilobytes of stack; setup's is 2 MB). */
typedef struct Reader {
    HANDLE        File;
    DWORD         Pos, Len;
    unsigned char Buf[LOG_IO];
} Reader;

/* The next byte, or -1 at the end of the file (or a failed read). */
static int rd_Byte(Reader *r)
{
    if (r->Pos == r->Len) {
        if (!ReadFile(r->File, r->Buf, sizeof r->Buf, &r->Len, NULL))
            r->Len = 0;
        r->Pos = 0;
        if (!r->Len)
            return -1;
    }
    return r->Buf[r->Pos++];
}

/* 1 and the word when all four bytes are there. */
static int rd_Word(Reader *r, uint32_t *word)
{
    uint32_t w = 0;
    for (int i = 0; i < 4; i++) {
        int c = rd_Byte(r);
        if (c < 0)
            return 0;
        w |= (uint32_t)c << (8 * i);
    }
    *word = w;
    return 1;
}

/* One text: a CR is dropped, an LF ends it.  Gives the length, -1 when
 * the end of the file came first, or -2 for a void text: one longer than
 * a text may be, or holding a control character (a NUL would hide the
 * rest of the text, a lone break would start another line).  A void text
 * is read to the end of its line all the same, so that no part of it is
 * ever taken for the entries that follow. */
static int rd_Line(Reader *r, char *line)
{
    int n = 0, void_text = 0;
    for (;;) {
        int c = rd_Byte(r);
        if (c < 0)
            return -1;
        if (c == '\r')
            continue;
        if (c == '\n')
            return void_text ? -2 : n;
        if (c < 32 || n == LOG_TEXT_MAX)
            void_text = 1;
        else
            line[n++] = (char)c;
    }
}

int log_Load(LogList *list, const char *path)
{
    list_Free(list);
    if (!path)
        return 1;
    Reader r;
    r.Pos = r.Len = 0;
    r.File = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                         OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, NULL);
    if (r.File == INVALID_HANDLE_VALUE)
        return 1;                     /* no log yet: a first installation */
    uint32_t magic, kind, mask;
    int result = rd_Word(&r, &magic) && magic == LOG_MAGIC;
    /* A cut entry is read as far as its bytes go, and kept as far as it
     * is whole: without its kind and mask it is dropped, and a text that
     * the end of the file cuts short is left out (null).  A cut text
     * names some other file or key, and the removal side must never act
     * on a name the installation did not record. */
    while (result && rd_Word(&r, &kind) && rd_Word(&r, &mask)) {
        char *text[3] = {NULL, NULL, NULL};
        char line[LOG_LINE];
        for (int i = 0; i < 3; i++) {
            if (!(mask & (1u << i)))
                continue;
            int len = rd_Line(&r, line);
            if (len == -1)
                break;
            if (len >= 0)                  /* a void text stays null */
                text[i] = text_Copy(line, (size_t)len);
        }
        /* Texts are read before the entry is made, so that an entry
         * without memory still leaves the reader in step. */
        LogEntry *e = (LogEntry *)mem_Alloc(sizeof *e);
        if (!e) {
            mem_Free(text[0]);
            mem_Free(text[1]);
            mem_Free(text[2]);
            continue;
        }
        e->Kind = (int32_t)kind;
        e->Text1 = text[0];
        e->Text2 = text[1];
        e->Text3 = text[2];
        list_Append(list, e);
    }
    CloseHandle(r.File);
    return result;
}

/* ---- saving ---------------------------------------------------------- */

typedef struct Writer {
    HANDLE        File;
    DWORD         Len;
    unsigned char Buf[LOG_IO];
} Writer;

static void wr_Flush(Writer *w)
{
    DWORD done;
    if (w->Len)
        WriteFile(w->File, w->Buf, w->Len, &done, NULL);
    w->Len = 0;
}

static void wr_Bytes(Writer *w, const void *bytes, size_t size)
{
    const unsigned char *p = (const unsigned char *)bytes;
    while (size) {
        if (w->Len == sizeof w->Buf)
            wr_Flush(w);
        size_t n = sizeof w->Buf - w->Len;
        if (n > size)
            n = size;
        memcpy(w->Buf + w->Len, p, n);
        w->Len += (DWORD)n;
        p += n;
        size -= n;
    }
}

static void wr_Word(Writer *w, uint32_t word)
{
    unsigned char b[4] = {(unsigned char)word, (unsigned char)(word >> 8),
                          (unsigned char)(word >> 16),
                          (unsigned char)(word >> 24)};
    wr_Bytes(w, b, 4);
}

/* Whether the file can carry the text so that it reads back the same.
 * Recorders pass paths and key names of a few hundred characters; a
 * longer text, or one with a line break, is written as absent: cut or
 * split it would name another file or key to the removal side, and put
 * the reader out of step with every entry after it. */
static int text_Fits(const char *text)
{
    if (!text)
        return 0;
    size_t n = 0;
    for (; text[n]; n++)
        if (text[n] == '\r' || text[n] == '\n' || n == LOG_TEXT_MAX)
            return 0;
    return 1;
}

void log_Save(LogList *list, const char *path)
{
    Writer w;
    w.Len = 0;
    w.File = path ? CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                                CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS,
                                NULL)
                  : INVALID_HANDLE_VALUE;
    if (w.File != INVALID_HANDLE_VALUE) {
        wr_Word(&w, LOG_MAGIC);
        for (LogEntry *e = list->Head; e; e = e->Next) {
            const char *text[3] = {e->Text1, e->Text2, e->Text3};
            uint32_t mask = 0;
            for (int i = 0; i < 3; i++)
                if (text_Fits(text[i]))
                    mask |= 1u << i;
            wr_Word(&w, (uint32_t)e->Kind);
            wr_Word(&w, mask);
            for (int i = 0; i < 3; i++)
                if (mask & (1u << i)) {
                    wr_Bytes(&w, text[i], strlen(text[i]));
                    wr_Bytes(&w, "\r\n", 2);
                }
        }
        wr_Flush(&w);
        CloseHandle(w.File);
    }
    list_Free(list);
}
