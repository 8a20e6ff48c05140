/* The boundary of INSTALL.DLL, the installer's unzip library. The installer loads the DLL at run
 * time and calls UnzDllExec with a UnzipParams record; the library extracts the archive into the
 * process's current folder and reports each member through the record's callback. Afterwards
 * UnzDllLastFailure tells which member failed first and why, so the installer can name it.
 *
 * The records are shared byte for byte with 32-bit code on the other side of the DLL, so on a
 * 32-bit target their layout is asserted below. The native (64-bit) headless build uses the same
 * declarations with wider pointers: there is no binary boundary there, only the same C++ caller.
 *
 * Plain C, no <windows.h>: the installer's portable code includes this header too. */
#ifndef UNZIP_UNZIPAPI_H
#define UNZIP_UNZIPAPI_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && defined(__i386__)
#define UNZIP_STDCALL __attribute__((stdcall))
#else
/* Only 32-bit x86 has a separate stdcall convention; everywhere else the attribute is ignored. */
#define UNZIP_STDCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Values of UnzipCallbackInfo.ActionCode. */
enum {
  kUnzipActionFileStarts = 1, /* FileSize and FileName describe the member being written */
  kUnzipActionProgress = 2,   /* one more 32768 bytes of the current member are extracted */
  kUnzipActionEnd = 3         /* the call is over; sent once, whatever happened before */
};

/* Bytes of a member per kUnzipActionProgress report. Every callback comes on the thread that called
 * UnzDllExec, in archive order; the library's writer threads may still be writing bytes already
 * reported, and are done with every file before UnzDllExec returns. */
#define UNZIP_PROGRESS_STEP 32768

/* Longest member name passed to the callback, the terminating zero excluded (MAX_PATH - 1):
 * a longer name could not be created on Windows anyway and is refused. */
#define UNZIP_MAX_NAME 259

/* Truth values in the records are 32-bit: 0 false, -1 true. */
#define UNZIP_TRUE (-1)
#define UNZIP_FALSE 0

typedef struct UnzipCallbackInfo {
  uint32_t StructSize;   /* sizeof(UnzipCallbackInfo), so a reader can tell versions apart */
  void* Caller;          /* UnzipParams.Caller, handed back untouched */
  uint32_t Reserved8;    /* 0 */
  uint32_t Reserved12;   /* 0 */
  int32_t ActionCode;    /* kUnzipAction* */
  uint32_t BytesWritten; /* bytes of the current member extracted so far (low 32 bits) */
  int32_t FileSize;      /* uncompressed size of the member; 2 GiB and more read as negative */
  char FileName[UNZIP_MAX_NAME + 1]; /* the member's name, byte for byte as the archive has it */
} UnzipCallbackInfo;

/* Returns 0 to go on; any other value stops the extraction after the current step: the member
 * being extracted is discarded (a file it would replace stays as it was), the members before it
 * are finished, and no other member follows. */
typedef int32_t(UNZIP_STDCALL* UnzipCallback)(UnzipCallbackInfo* info);

#define UNZIP_MAX_FILESPECS 4097

/* UnzipParams.NameEncoding when ArchiveName is UTF-8: a medium in a folder whose name the ANSI code
 * page cannot hold (a Cyrillic folder on a Western-European Windows) is named whole. FileSpecs and
 * the member names the library reports stay code page 1252. */
#define UNZIP_UTF8_ARCHIVE_NAME 65001u

typedef struct UnzipParams {
  uint32_t Reserved0;      /* not read */
  void* Caller;            /* copied into every UnzipCallbackInfo */
  int32_t Constant8;       /* the installer passes 140; not read */
  UnzipCallback Callback;  /* may be null: the extraction then runs silently */
  int32_t Flag16;          /* not read */
  uint32_t NameEncoding;   /* offset 20: UNZIP_UTF8_ARCHIVE_NAME when ArchiveName is UTF-8 (from
                              version 102); anything else: ArchiveName is in the ANSI code page */
  void* Reserved24;        /* not read */
  int32_t Flags28[9];      /* offsets 28 to 60; not read */
  int32_t FileSpecCount;   /* 0: every member; else members matching one of FileSpecs[0..n) */
  const char* ArchiveName; /* path of the archive, zero-terminated */
  int32_t Constant72;      /* the installer passes 7; not read */
  const char* FileSpecs[UNZIP_MAX_FILESPECS]; /* member name or base name, * and ? allowed */
} UnzipParams;

/* Results of UnzDllExec besides a count of members that failed (0: everything was extracted). */
enum {
  kUnzipBadParams = -1,  /* null record, no archive name, or a negative FileSpecCount */
  kUnzipBadArchive = -2, /* the archive cannot be opened or holds no readable central directory */
  kUnzipStopped = -3     /* the callback asked to stop */
};

/* Extracts the archive named by params->ArchiveName into the current folder. Returns the number
 * of members that failed (0 when all matching members were extracted, also when none matched), or
 * one of the negative results above. Never raises and never calls the callback after returning. */
int32_t UNZIP_STDCALL UnzDllExec(UnzipParams* params);

/* Values of UnzipFailure.Reason: why the first member that failed, in archive order, failed. */
enum {
  kUnzipFailureNone = 0,      /* no member failed */
  kUnzipFailureDamaged = 1,   /* the member's data fails its CRC-32 or sizes, cannot be inflated,
                                 or is cut short by the end of the archive */
  kUnzipFailureWrite = 2,     /* its file or folder could not be made or written: see OsError */
  kUnzipFailureName = 3,      /* its name is refused: it climbs out with "..", is absolute, names
                                 a drive or a device, or holds what code page 1252 cannot */
  kUnzipFailureUnreadable = 4 /* the archive, or the member's entry in it, cannot be read: no
                                 central directory, a broken entry, encryption, an unknown method,
                                 data shared with another member */
};

typedef struct UnzipFailure {
  uint32_t StructSize; /* sizeof(UnzipFailure) */
  int32_t Reason;      /* kUnzipFailure* */
  uint32_t OsError;    /* for kUnzipFailureWrite, the operating system's error code; else 0 */
  /* The member's name in code page 1252 ('?' for a character of a UTF-8 name that page lacks), cut
     to fit; empty when no member can be named. A file that failed on a writer thread is named by
     the path it was written under, which differs from the name only in its separators ('/'). */
  char FileName[UNZIP_MAX_NAME + 1];
} UnzipFailure;

/* Fills `failure` with why the last UnzDllExec counted a member as failed. The record is cleared
 * as each UnzDllExec starts; a null pointer is ignored. Optional: an INSTALL.DLL of version 100
 * lacks it, and a caller copes without. */
void UNZIP_STDCALL UnzDllLastFailure(UnzipFailure* failure);

/* The library's version as major * 100 + minor. */
uint32_t UNZIP_STDCALL GetUnzDllVersion(void);

#define UNZIP_VERSION 102

#ifdef __cplusplus
} /* extern "C" */
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
#ifdef __cplusplus
#define UNZIP_ASSERT static_assert
#else
#define UNZIP_ASSERT _Static_assert
#endif
UNZIP_ASSERT(sizeof(UnzipParams) == 16464, "UnzipParams is 16464 bytes");
UNZIP_ASSERT(offsetof(UnzipParams, Caller) == 4, "Caller at 4");
UNZIP_ASSERT(offsetof(UnzipParams, Constant8) == 8, "constant at 8");
UNZIP_ASSERT(offsetof(UnzipParams, Callback) == 12, "Callback at 12");
UNZIP_ASSERT(offsetof(UnzipParams, Flag16) == 16, "flag at 16");
UNZIP_ASSERT(offsetof(UnzipParams, NameEncoding) == 20, "name encoding at 20");
UNZIP_ASSERT(offsetof(UnzipParams, Reserved24) == 24, "pointer slot at 24");
UNZIP_ASSERT(offsetof(UnzipParams, Flags28) == 28, "flags from 28");
UNZIP_ASSERT(offsetof(UnzipParams, FileSpecCount) == 64, "FileSpecCount at 64");
UNZIP_ASSERT(offsetof(UnzipParams, ArchiveName) == 68, "ArchiveName at 68");
UNZIP_ASSERT(offsetof(UnzipParams, Constant72) == 72, "constant at 72");
UNZIP_ASSERT(offsetof(UnzipParams, FileSpecs) == 76, "FileSpecs at 76");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, Caller) == 4, "Caller at 4");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, Reserved8) == 8, "slot at 8");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, Reserved12) == 12, "slot at 12");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, ActionCode) == 16, "ActionCode at 16");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, BytesWritten) == 20, "BytesWritten at 20");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, FileSize) == 24, "FileSize at 24");
UNZIP_ASSERT(offsetof(UnzipCallbackInfo, FileName) == 28, "FileName at 28");
UNZIP_ASSERT(sizeof(UnzipFailure) == 272, "UnzipFailure is 272 bytes");
UNZIP_ASSERT(offsetof(UnzipFailure, Reason) == 4, "Reason at 4");
UNZIP_ASSERT(offsetof(UnzipFailure, OsError) == 8, "OsError at 8");
UNZIP_ASSERT(offsetof(UnzipFailure, FileName) == 12, "FileName at 12");
#undef UNZIP_ASSERT
#endif

#endif /* UNZIP_UNZIPAPI_H */
