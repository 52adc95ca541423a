/* codepage.h -- file names between Unicode and the code page setup reads
 * them in.  Setup opens files through the Win32 ANSI API, so a name in the
 * package is bytes of the installing system's ANSI code page; vpack writes
 * them in the code page the product is made for, from its own tables on
 * every system, so that the host vpack and vpack.exe write the same bytes.
 *
 * Texts are UTF-8 std::strings unless said otherwise.  Results: 1 success,
 * 0 failure with *why (may be null) set to a short English cause.
 */
#ifndef VPACK_CODEPAGE_H
#define VPACK_CODEPAGE_H

#include <stddef.h>
#include <stdint.h>

#include <string>

#define CP_DEFAULT 1252

/* 1 when vpack has a table for the Windows code page number cp. */
int cp_Known(int cp);
/* The numbers it has, "1250, 1251, ...", for messages and help. */
std::string cp_KnownList(void);
/* "Windows-1252" for 1252. */
std::string cp_Name(int cp);

/* The code point of byte b in cp, 0 when the code page leaves it
 * undefined. */
uint32_t cp_ToUnicode(int cp, unsigned char b);

/* utf8 as bytes of cp into *out.  Refused: text that is not UTF-8 (*why
 * names the byte and its offset), a character cp cannot hold (*why names
 * it and its code point).  *why reads after "the name ": "is not UTF-8
 * (...)", "has 'X' (U+...), which Windows-N cannot hold". */
int cp_FromUtf8(int cp, const std::string &utf8, std::string *out,
                std::string *why);
/* The bytes of cp as UTF-8 into *out; refused for a byte cp leaves
 * undefined. */
int cp_ToUtf8(int cp, const std::string &bytes, std::string *out,
              std::string *why);

/* The key two names of cp share when Windows' file systems take them for
 * the same name: each character upper-cased by its Unicode simple
 * mapping (e to E, and so on for every letter the supported code pages
 * hold), as NTFS's upcase table does. */
std::u32string cp_FoldKey(int cp, const std::string &bytes);

/* UTF-16 (wchar_t on Windows) and UTF-8, both ways; a lone surrogate or
 * text that is not UTF-8 is refused. */
int cp_Utf16ToUtf8(const uint16_t *text, size_t n, std::string *out);
int cp_Utf8ToUtf16(const std::string &utf8, std::u16string *out);

#endif
