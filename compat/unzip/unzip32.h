#pragma once

/*
 * unzip32: the archive-unpacking library, on libzip, linked into the program.
 * One entry point unpacks (or tests, or lists) one archive under an option
 * record and reports through call-backs; a second one describes the library.
 * Plain C types and C linkage.
 *
 * The library keeps no state between calls; all it needs travels in the two
 * records handed to each call.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of Wiz_SingleEntryUnzip. */
enum {
    PK_OK = 0,     /* everything done */
    PK_WARN = 1,   /* done, with warnings: members skipped or refused */
    PK_ERR = 2,    /* some members failed (damaged data, cannot create a file) */
    PK_BADERR = 3, /* severe error in the archive, or the zip library cannot be loaded */
    PK_MEM = 4,    /* out of memory */
    PK_NOZIP = 9,  /* archive not found or not an archive */
    PK_PARAM = 10, /* bad arguments */
    PK_FIND = 11,  /* a name to include matched no member */
    PK_DISK = 50,  /* writing failed (disk full, file size limit, I/O error); run stopped */
    IZ_CTRLC = 80, /* cancelled by the service call-back */
    IZ_UNSUP = 81, /* nothing done: every member used an unsupported method */
    IZ_BADPWD = 82 /* nothing done: encrypted members skipped for want of a right password */
};

/* Answers of the replace call-back. Any other value counts as IDM_REPLACE_NO. */
enum {
    IDM_REPLACE_NO = 100,  /* keep the existing file, ask again for the next one */
    IDM_REPLACE_YES = 102, /* replace this file */
    IDM_REPLACE_ALL = 103, /* replace this and every later existing file without asking */
    IDM_REPLACE_NONE = 104 /* keep this and every later existing file without asking */
};

/* Answers of the password call-back. Any non-zero value counts as a skip. */
enum {
    UZ_PASSWORD_GIVEN = 0, /* the password is in the buffer, NUL-ended */
    UZ_PASSWORD_SKIP = 1   /* no password: skip this member */
};

/* Size of the buffer handed to the password call-back (including the NUL). */
enum { UZ_PASSWORD_BUFFER = 256 };

/*
 * Call-backs. Texts are NUL-ended UTF-8; the library owns every buffer it hands
 * out and the call-back must not keep pointers to them.
 */

/* Printed output: `size` bytes at `buffer` (also NUL-ended). A line's text and
 * its line feed arrive as separate pieces, the line feed alone as "\n".
 * Returns the number of bytes taken (ignored). */
typedef int (*UzPrintFn)(char* buffer, unsigned long size);

/* Called once at the end of an unpacking run that wrote at least one file. */
typedef int (*UzSoundFn)(void);

/* An existing file would be overwritten: answers one of IDM_REPLACE_*. Asked only
 * when PromptToOverwrite is set and noflag is not. */
typedef int (*UzReplaceFn)(char* fileName);

/* An encrypted member needs a password: write it NUL-ended into `buffer` (room
 * for `size` bytes) and answer UZ_PASSWORD_GIVEN, or answer UZ_PASSWORD_SKIP.
 * `prompt` says whether this is a first or a repeated question, `name` is the
 * member. A wrong password is asked for again, up to 3 questions per member. */
typedef int (*UzPasswordFn)(char* buffer, int size, const char* prompt, const char* name);

/* List mode (nvflag): one call per selected member. `ratio` is the percentage
 * saved by compression (0..100), `year` has four digits, `encrypted` is 1 or 0,
 * `method` a short name such as "Stored" or "Deflated". */
typedef void (*UzListLineFn)(unsigned long size, unsigned long compressedSize, unsigned ratio, unsigned month,
                             unsigned day, unsigned year, unsigned hour, unsigned minute, unsigned long crc,
                             int encrypted, const char* method, const char* name);

/* Called before each selected member is processed. Non-zero stops the run, which
 * then answers IZ_CTRLC. */
typedef int (*UzServiceFn)(const char* name, unsigned long size);

/*
 * Option record. Flags are 0 or non-zero unless stated otherwise.
 */
typedef struct {
    int32_t ExtractOnlyNewer;  /* update: extract new members and members newer than the file, never ask */
    int32_t SpaceToUnderscore; /* blanks in file names become '_' */
    int32_t PromptToOverwrite; /* ask the replace call-back before overwriting (when noflag is 0) */
    int32_t fQuiet;            /* printed output: 0 all, 1 no per-member lines, 2 or more problems only */
    int32_t ncflag;            /* write member data to the print call-back instead of files */
    int32_t ntflag;            /* test the archive: read and check every member, write nothing */
    int32_t nvflag;            /* list the members through the list call-back, write nothing */
    int32_t nfflag;            /* freshen: only replace existing files that are older than the member */
    int32_t nzflag;            /* print the archive comment */
    int32_t ndflag;            /* recreate the archive's folders; 0 puts every file in the extract folder */
    int32_t noflag;            /* overwrite existing files without asking */
    int32_t naflag;            /* text members: LF line ends become CR LF */
    int32_t nZIflag;           /* accepted, no effect (detailed listing of the original library) */
    int32_t C_flag;            /* name lists match case-sensitively; 0 ignores ASCII case */
    int32_t fPrivilege;        /* accepted, no effect (Windows access rights have no meaning here) */
    char* lpszZipFN;           /* the archive */
    char* lpszExtractDir;      /* the extract folder (created when missing); NULL or "" = current folder */
} DCL;

/*
 * Call-back record. Any call-back may be NULL: no print output; no replace
 * call-back counts as IDM_REPLACE_NO; no password call-back skips encrypted
 * members; no list call-back prints the listing instead. The totals are set by
 * the library at the end of every call.
 */
typedef struct {
    UzPrintFn print;
    UzSoundFn sound;
    UzReplaceFn replace;
    UzPasswordFn password;
    UzListLineFn applicationMessage; /* list line */
    UzServiceFn service;
    uint64_t TotalSizeComp; /* compressed bytes of the selected members */
    uint64_t TotalSize;     /* uncompressed bytes of the selected members */
    int32_t CompFactor;     /* percentage saved over the selected members (0..100) */
    uint32_t NumMembers;    /* members selected by the name lists (all without lists) */
    uint32_t cchComment;    /* length of the archive comment in bytes */
} USERFUNCTION;

/* A version number: major, minor, patch level. */
typedef struct {
    uint8_t major;
    uint8_t minor;
    uint8_t patchlevel;
    uint8_t reserved;
} UzpVerNum;

/*
 * Version record, 64 bytes. The caller sets structlen to sizeof(UzpVer2) (64);
 * the text fields are NUL-ended.
 */
typedef struct {
    uint32_t structlen;    /* offset 0 */
    uint32_t flag;         /* offset 4: UZPVER_RELEASE, UZPVER_LIBZIP */
    char betalevel[10];    /* offset 8: "" for a release */
    char date[20];         /* offset 18: release date of this library, "YYYY-MM-DD" */
    char zlib_version[10]; /* offset 38: version of the libzip it runs on */
    UzpVerNum unzip;       /* offset 48: interface level implemented (5.4.0) */
    UzpVerNum zipinfo;     /* offset 52: no separate listing program, all zero */
    UzpVerNum os2dll;      /* offset 56: not applicable, all zero */
    UzpVerNum windll;      /* offset 60: this library's own version */
} UzpVer2;

enum {
    UZPVER_RELEASE = 1, /* not a beta */
    UZPVER_LIBZIP = 2   /* decompression by libzip */
};

/*
 * Unpacks lpszZipFN into lpszExtractDir under the options. `ifnc` names in
 * `ifnv` select the members to include (all when 0), `xfnc` names in `xfnv` the
 * members to leave out; names may hold the wildcards '*' (any run of characters,
 * '/' included) and '?' (one character). Answers a PK_ / IZ_ result code.
 */
int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* options, USERFUNCTION* callbacks);

/* Fills the version record. Answers 0, or the size structlen must have when the
 * record is missing or too small (nothing filled then). */
unsigned int UzpVersion2(UzpVer2* version);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(UzpVer2) == 64, "the version record is 64 bytes");
static_assert(offsetof(DCL, fPrivilege) == 56, "option record: 15 32-bit integers, then two pointers");
#endif
