/* Preloaded into the program under test: at the very end of the process,
 * after main has returned and static objects are gone, it writes where every
 * still-open file descriptor points to the file named by
 * PELORIN_OPEN_FILES_REPORT. A file the program closed itself is missing
 * from the list; one left to the kernel to close at exit is in it. */
#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

__attribute__((destructor)) static void report_open_files(void) {
    const char* report = getenv("PELORIN_OPEN_FILES_REPORT");
    if (!report) return;
    FILE* out = fopen(report, "w");
    if (!out) return;
    DIR* fds = opendir("/proc/self/fd");
    if (fds) {
        struct dirent* entry;
        while ((entry = readdir(fds)) != NULL) {
            char link[300];
            char target[PATH_MAX];
            snprintf(link, sizeof link, "/proc/self/fd/%s", entry->d_name);
            ssize_t length = readlink(link, target, sizeof target - 1);
            if (length > 0) {
                target[length] = '\0';
                fprintf(out, "%s\n", target);
            }
        }
        closedir(fds);
    }
    fclose(out);
}
