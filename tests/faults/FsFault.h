/* Fault injection for a process's file-system calls, by a library loaded with LD_PRELOAD. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* clang-format off */
enum FsFaultOp { FsOpen = 1, FsRead = 2, FsWrite = 4, FsSync = 8, FsRename = 16, FsList = 32,
                 FsStat = 64, FsRemove = 128, FsMkdir = 256, FsClose = 512 }; /* a mask */
enum FsFaultAction { FsFail = 0, FsFailFromThenOn = 1, FsShortWrite = 2, FsKill = 3,
                     FsHold = 4 /* a slow disk: the call waits for release, at most 10 s */ };
/* clang-format on */

/* From now on counts the calls of the kinds in opMask on paths under pathPrefix, and on the
 * descriptors opened on them; the at-th (1-based; 0 never) gets the action, errno errnoValue. */
void vaulnix_fsfault_arm(const char *pathPrefix, unsigned opMask, long at, int errnoValue,
                         int action);
void vaulnix_fsfault_disarm(void);
long vaulnix_fsfault_count(void);  /* matching calls since arm, whether or not one fired */
int vaulnix_fsfault_fired(void);   /* 1 once the fault has been injected */
int vaulnix_fsfault_release(void); /* lets a held call go on: 1 if one was held */

#ifdef __cplusplus
}
#endif
