/* journal.cpp -- the run's changes and the before-images. */
#include "journal.h"
#include "shared.h"
#include "ident.h"

#include <windows.h>
#include <string.h>

MODULE_IDENT("Install/journal.cpp");

enum {
    J_ADDED,       /* Text1 a file the run made */
    J_REPLACED,    /* Text1 a file replaced, Text2 its before-image */
    J_DIR,         /* Text1 a folder the run made */
    J_COUNT,       /* Text1 company, Text2 product, Text3 name */
    J_SYSCOUNT,    /* Text1 a file's path */
    J_SERVICE,     /* Text1 a service the run made */
    J_SERVICEKEY,  /* Text1 a service whose key the run made */
    J_KEY          /* Text1 a key below HKEY_LOCAL_MACHINE the run made */
};

typedef struct JEntry {
    struct JEntry *Next;           /* the one noted before */
    int            Kind;
    unsigned       Hash;           /* of Text1 in capitals, files only */
    DWORD          Attributes;     /* J_REPLACED: the file's own */
    FILETIME       Created, Accessed, Written;
    char          *Text1, *Text2, *Text3;   /* in the same block */
} JEntry;

/* The run's journal: entries newest first; the images' folder, made at
 * the first image. */
static struct {
    JEntry  *Newest;
    unsigned Images;
    char     Folder[MAX_PATH];
} JR VELLUM_BSS;

static unsigned hash_of(const char *path)
{
    unsigned h = 2166136261u;
    for (const unsigned char *p = (const unsigned char *)path; *p; p++)
        h = (h ^ (unsigned)(ULONG_PTR)CharUpperA((LPSTR)(ULONG_PTR)*p)) *
            16777619u;
    return h;
}

static JEntry *note(int kind, const char *t1, const char *t2, const char *t3)
{
    size_t n1 = strlen(t1) + 1, n2 = t2 ? strlen(t2) + 1 : 0,
           n3 = t3 ? strlen(t3) + 1 : 0;
    JEntry *e = (JEntry *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                    sizeof *e + n1 + n2 + n3);
    if (!e)
        return NULL;
    e->Kind = kind;
    e->Text1 = (char *)(e + 1);
    memcpy(e->Text1, t1, n1);
    if (t2)
        e->Text2 = (char *)memcpy(e->Text1 + n1, t2, n2);
    if (t3)
        e->Text3 = (char *)memcpy(e->Text1 + n1 + n2, t3, n3);
    e->Next = JR.Newest;
    JR.Newest = e;
    return e;
}

/* The entry that noted the file, or null. */
static JEntry *noted_file(const char *path, unsigned hash)
{
    for (JEntry *e = JR.Newest; e; e = e->Next)
        if ((e->Kind == J_ADDED || e->Kind == J_REPLACED) &&
            e->Hash == hash && lstrcmpiA(e->Text1, path) == 0)
            return e;
    return NULL;
}

/* The images' folder, "vsetup<process>.<n>" in the temporary folder. */
static int image_folder(void)
{
    if (JR.Folder[0])
        return 1;
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n > MAX_PATH - 32)
        return 0;
    for (unsigned i = 0; i < 1000; i++) {
        wsprintfA(JR.Folder, "%svsetup%lx.%u", temp,
                  (unsigned long)GetCurrentProcessId(), i);
        if (CreateDirectoryA(JR.Folder, NULL))
            return 1;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    JR.Folder[0] = 0;
    return 0;
}

/* A copy of the file beside the others, writable so that it can go. */
static int make_image(const char *path, char *image)
{
    if (!image_folder())
        return 0;
    wsprintfA(image, "%s\\%u", JR.Folder, ++JR.Images);
    if (!CopyFileA(path, image, TRUE))
        return 0;
    SetFileAttributesA(image, FILE_ATTRIBUTE_NORMAL);
    return 1;
}

int journal_File(const char *path, int *existed)
{
    unsigned hash = hash_of(path);
    JEntry *e = noted_file(path, hash);
    if (e) {
        if (existed)
            *existed = e->Kind == J_REPLACED;
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    int there = GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    if (existed)
        *existed = there;
    if (!there) {
        e = note(J_ADDED, path, NULL, NULL);
    } else {
        char image[MAX_PATH + 16];
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !make_image(path, image))
            return 0;
        e = note(J_REPLACED, path, image, NULL);
        if (!e) {
            DeleteFileA(image);
            return 0;
        }
        e->Attributes = data.dwFileAttributes;
        e->Created = data.ftCreationTime;
        e->Accessed = data.ftLastAccessTime;
        e->Written = data.ftLastWriteTime;
    }
    if (!e)
        return 0;       /* a change that could not be noted is not made */
    e->Hash = hash;
    return 1;
}

int journal_MakeDir(const char *path)
{
    char part[MAX_PATH * 4];
    size_t n = strlen(path);
    if (n == 0 || n >= sizeof part)
        return 0;
    memcpy(part, path, n + 1);
    for (size_t i = 3; i <= n; i++)       /* past "X:\" */
        if (part[i] == '\\' || part[i] == 0) {
            char c = part[i];
            part[i] = 0;
            if (GetFileAttributesA(part) == INVALID_FILE_ATTRIBUTES &&
                CreateDirectoryA(part, NULL) &&
                !note(J_DIR, part, NULL, NULL))
                RemoveDirectoryA(part);
            part[i] = c;
        }
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

const void *journal_Mark(void)
{
    return JR.Newest;
}

void journal_LogDirs(LogList *list, const void *mark)
{
    for (JEntry *e = JR.Newest; e && e != mark; e = e->Next)
        if (e->Kind == J_DIR)
            log_AddDir(list, e->Text1);
}

void journal_Count(const char *company, const char *product,
                   const char *name)
{
    note(J_COUNT, company ? company : "", product ? product : "", name);
}

void journal_SystemCount(const char *path)
{
    note(J_SYSCOUNT, path, NULL, NULL);
}

void journal_Key(const char *key)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &h) ==
        ERROR_SUCCESS) {
        RegCloseKey(h);
        return;
    }
    note(J_KEY, key, NULL, NULL);
}

void journal_Service(const char *service, int madeKey, int madeService)
{
    if (madeKey)
        note(J_SERVICEKEY, service, NULL, NULL);
    if (madeService)
        note(J_SERVICE, service, NULL, NULL);
}

/* ---- taking it back ---- */

/* The image moved back over the file, then the file's times and
 * attributes.  0 leaves the image where it is: nothing is lost. */
static int restore(const JEntry *e)
{
    SetFileAttributesA(e->Text1, FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(e->Text2, e->Text1,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return 0;
    HANDLE h = CreateFileA(e->Text1, FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        SetFileTime(h, &e->Created, &e->Accessed, &e->Written);
        CloseHandle(h);
    }
    SetFileAttributesA(e->Text1, e->Attributes);
    return 1;
}

/* A key goes only when nothing has come into it since. */
static void delete_empty_key(const char *key)
{
    HKEY h;
    DWORD subkeys = 1, values = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &h) !=
        ERROR_SUCCESS)
        return;
    RegQueryInfoKeyA(h, NULL, NULL, NULL, &subkeys, NULL, NULL, &values,
                     NULL, NULL, NULL, NULL);
    RegCloseKey(h);
    if (!subkeys && !values)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
}

static void undo(const JEntry *e)
{
    switch (e->Kind) {
    case J_ADDED:
        SetFileAttributesA(e->Text1, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(e->Text1);
        break;
    case J_REPLACED:
        restore(e);
        break;
    case J_DIR:
        RemoveDirectoryA(e->Text1);
        break;
    case J_COUNT:
        shared_Release(e->Text1, e->Text2, e->Text3);
        break;
    case J_SYSCOUNT:
        shared_SystemRelease(e->Text1);
        break;
    case J_SERVICE:
        shared_DeleteNtService(e->Text1);
        break;
    case J_SERVICEKEY:
        shared_DeleteServiceKeys(e->Text1);
        break;
    case J_KEY:
        delete_empty_key(e->Text1);
        break;
    }
}

/* Frees the entries; the images still in the folder go with it (after a
 * rollback, only those that could not be put back stay). */
static void finish(int keepImagesLeft)
{
    JEntry *e = JR.Newest;
    while (e) {
        JEntry *next = e->Next;
        if (e->Kind == J_REPLACED && !keepImagesLeft)
            DeleteFileA(e->Text2);
        HeapFree(GetProcessHeap(), 0, e);
        e = next;
    }
    if (JR.Folder[0])
        RemoveDirectoryA(JR.Folder);   /* stays while an image is left */
    ZeroMemory(&JR, sizeof JR);
}

void journal_Rollback(void)
{
    for (JEntry *e = JR.Newest; e; e = e->Next)
        undo(e);
    finish(1);
}

void journal_Commit(void)
{
    finish(0);
}
