/* Stands in for the main program: records its arguments, its open descriptors and its parent
   into the file named by KB_STAND_IN_RECORD, then ends. The record appears whole (written
   aside, then renamed), so a test can wait for it. */
#define _GNU_SOURCE
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* record = getenv("KB_STAND_IN_RECORD");
    if (!record) return 1;
    char fds[4096] = "";
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return 1;
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        if (e->d_name[0] == '.' || atoi(e->d_name) == dirfd(dir)) continue;
        if (strlen(fds) + strlen(e->d_name) + 5 >= sizeof fds) break;
        strcat(fds, "fd ");
        strcat(fds, e->d_name);
        strcat(fds, "\n");
    }
    closedir(dir);
    char aside[4096];
    snprintf(aside, sizeof aside, "%s.part", record);
    FILE* f = fopen(aside, "w");
    if (!f) return 1;
    for (int i = 0; i < argc; ++i) fprintf(f, "arg %s\n", argv[i]);
    fputs(fds, f);
    fprintf(f, "ppid %d\n", (int)getppid());
    fclose(f);
    return rename(aside, record) == 0 ? 0 : 1;
}
