// Writing the payload's files, one chunk at a time as the chunks come inflated (inflateAhead).
// Every file is written under a temporary name beside its final one, created new so that
// nothing already under that name is written through. Only when all are written whole do they
// take the final names, each earlier copy moved aside first under a name that is free. Before
// the first rename a journal of what is about to be replaced is written through to the disk,
// and it goes once every file has its final name. So any failure puts every earlier file back,
// and the run after a killed one finishes the roll-back before it writes anything.
#include "extraction.h"

#include <direct.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "core/boundedText.h"
#include "core/installerSettings.h"
#include "core/payloadNames.h"
#include "core/replaceJournal.h"
#include "platform/platformInfo.h"
#include "platform/restartRemoval.h"
#include "inflateAhead.h"

namespace {

const ExtractionCalls platformCalls = {MoveFileA};
const ExtractionCalls *extractionCalls = &platformCalls;

// What one extraction works with: the table, the platform's facts, and its own records.
struct Extraction {
    const PayloadTable *table;
    const LeadBytes *lead;
    int nt;
    JournalEntry *entries;    // the files being replaced; room for every file
    int32_t entryCount;
    unsigned char *image;     // a journal as on disk, and a byte more
    unsigned char *wroteNew;  // per file: 1 once its new copy is written
};

// The names of a file: final, of its new copy, and of one of its aside copies.
struct SideNames {
    char path[TEXT_BUFFER_SIZE];
    char fresh[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
};

void report(ProgressRoutine progress, HWND window, const char *name, int32_t percent)
{
    if (progress != NULL)
        progress(window, name, percent);
}

BOOL moveFile(const char *from, const char *to)
{
    return extractionCalls->moveFile(from, to);
}

int exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A file of the run's own, created new: never through a name that is there already.
HANDLE createNew(const char *path)
{
    return CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
}

int writeWhole(HANDLE file, const void *data, DWORD length)
{
    DWORD written;
    return WriteFile(file, data, length, &written, NULL) && written == length;
}

// File i's names with aside name number aside; 0 when one would not fit. The final path is
// the stored name in the data folder, or below the system directory for a name with the
// system prefix.
int sideNames(const Extraction &run, int32_t i, int32_t aside, SideNames &names)
{
    const char *name = run.table->fileNames[i];
    int named;
    if (!hasSystemPrefix(name)) {
        named = copyText(names.path, sizeof names.path, name);
    } else {
        char systemDirectory[TEXT_BUFFER_SIZE];
        UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
        named = length != 0 && length < sizeof systemDirectory &&
                buildSystemDestination(names.path, sizeof names.path, systemDirectory, name,
                                       *run.lead);
    }
    return named &&
           formatText(names.fresh, sizeof names.fresh, "%s%s", names.path, NEW_COPY_SUFFIX) &&
           buildAsideName(names.old, sizeof names.old, names.path, aside);
}

// A shared file of the system directory is written only over an older copy.
int newerSystemCopy(const PayloadTable &table, int32_t i, const char *path)
{
    struct _stat present;
    return hasSystemPrefix(table.fileNames[i]) && _stat(path, &present) == 0 &&
           present.st_mtime > (time_t)table.fileTimes[i];
}

// An earlier copy that has been replaced; one a running program holds goes at the restart,
// named in full: the list is read when no current folder is ours.
void discardMovedAside(const char *old)
{
    if (DeleteFileA(old) || !exists(old))
        return;
    char full[TEXT_BUFFER_SIZE];
    DWORD length = GetFullPathNameA(old, sizeof full, full, NULL);
    if (length != 0 && length < sizeof full)
        scheduleRemovalAtRestart(full);
}

// Takes away what earlier runs left beside file i's final name once no journal asks for it: a
// killed run's new copy, and the earlier copies that completed runs moved aside. A copy that a
// running program still holds stays; its removal at the restart was asked for when it was
// moved aside (unless its run was killed in the moment between its journal's removal and
// that request: then a later run deletes it once nothing holds it). The aside names are taken
// in order, so the search ends at the first free one.
void cleanLeftovers(const Extraction &run, int32_t i)
{
    SideNames names;
    for (int32_t k = 0; k < ASIDE_NAME_COUNT && sideNames(run, i, k, names); ++k) {
        if (k == 0)
            DeleteFileA(names.fresh);
        if (!exists(names.old))
            break;
        DeleteFileA(names.old);
    }
}

// Whether the file at path may be replaced: 1 (also when there is none), 0 for a library a
// running program holds, which keeps its present copy, -1 when it cannot be: read-only, a
// folder, a library that cannot be opened for another reason. A name that is one of several
// links to a file is replaced like any other: the new copy is made new and renamed over it,
// and the other names keep the earlier file.
int replaceable(const char *path, int nt)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    int library = pathNamesDll(path);
    if (!library)
        return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY) ? -1 : 1;
    // A library is opened for writing without being cut: one a running program holds refuses
    // it with one of the errors the runtime reports as EACCES.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | (nt ? FILE_SHARE_DELETE : 0),
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_ACCESS_DENIED ||
                       (error >= ERROR_WRITE_PROTECT && error <= ERROR_SHARING_BUFFER_EXCEEDED)
                   ? 0
                   : -1;
    }
    CloseHandle(file);
    return 1;
}

// Writes file i's new copy under its temporary name, closed, with its times: each chunk in
// one call, only verified bytes. Whatever is still under that name (a leftover that could not
// be taken away, a link to a file elsewhere) stops the run instead of being written through.
int writeNewCopy(const Extraction &run, int32_t i, const SideNames &names, InflateAhead *ahead,
                 HWND window, ProgressRoutine progress, int32_t &done, int32_t total)
{
    const PayloadTable &table = *run.table;
    if (!makeParentDirectories(names.path, *run.lead))
        return EXTRACT_CANNOT_CREATE;
    HANDLE file = createNew(names.fresh);
    if (file == INVALID_HANDLE_VALUE)
        return EXTRACT_CANNOT_CREATE;
    run.wroteNew[i] = 1;
    int written = 1;
    for (int32_t j = 0; written && j < table.chunkCounts[i]; ++j) {
        const unsigned char *data;
        int32_t length;
        written = inflatedChunk(ahead, i, j, &data, &length) &&
                  writeWhole(file, data, (DWORD)length);
        if (written)
            report(progress, window, table.fileNames[i], percentDone(++done, total));
    }
    // The stored times given through the open handle: by name it would be opened once more.
    uint64_t ticks = windowsFileTime(table.fileTimes[i]);
    FILETIME time = {(DWORD)ticks, (DWORD)(ticks >> 32)};
    if (written)
        SetFileTime(file, NULL, &time, &time);
    if (!CloseHandle(file) || !written)
        return EXTRACT_CANNOT_WRITE;
    return EXTRACT_SUCCESS;
}

int writeFiles(const Extraction &run, InflateAhead *ahead, HWND window, ProgressRoutine progress)
{
    const PayloadTable &table = *run.table;
    int32_t total = 0;
    for (int32_t i = 0; i < table.fileCount; ++i)
        total += table.chunkCounts[i];
    int32_t done = 0;
    SideNames names;
    for (int32_t i = 0; i < table.fileCount; ++i) {
        report(progress, window, table.fileNames[i], percentDone(done, total));
        if (!sideNames(run, i, 0, names))
            return EXTRACT_CANNOT_CREATE;
        int replace = newerSystemCopy(table, i, names.path) ? 0 : replaceable(names.path, run.nt);
        if (replace < 0)
            return EXTRACT_CANNOT_CREATE;
        if (replace == 0) {
            done += table.chunkCounts[i];
            continue;
        }
        int result = writeNewCopy(run, i, names, ahead, window, progress, done, total);
        if (result != EXTRACT_SUCCESS)
            return result;
    }
    return EXTRACT_SUCCESS;
}

// The journal's entries for the new copies: whether an earlier copy is there to be moved aside,
// and the first free aside name for it. 0 when a file has no free aside name left.
int planReplacement(Extraction &run)
{
    SideNames names;
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        if (!run.wroteNew[i])
            continue;
        JournalEntry &entry = run.entries[run.entryCount++];
        entry = {i, 0, 0, 0};
        if (!sideNames(run, i, 0, names))
            return 0;
        entry.earlier = exists(names.path);
        while (entry.earlier && exists(names.old))
            if (++entry.aside == ASIDE_NAME_COUNT || !sideNames(run, i, entry.aside, names))
                return 0;
    }
    return 1;
}

// Records what is about to be replaced, written through to the disk and closed before the
// first rename; a journal that stays cut short is never acted on.
int writeJournal(const Extraction &run)
{
    formatJournal(run.image, run.entries, run.entryCount, run.table->fileNames);
    HANDLE file = createNew(JOURNAL_FILE_NAME);
    if (file == INVALID_HANDLE_VALUE)
        return EXTRACT_CANNOT_CREATE;
    int whole = writeWhole(file, run.image, (DWORD)journalSize(run.entryCount)) &&
                FlushFileBuffers(file);
    if (CloseHandle(file) && whole)
        return EXTRACT_SUCCESS;
    DeleteFileA(JOURNAL_FILE_NAME);
    return EXTRACT_CANNOT_WRITE;
}

// Gives every written file its final name, moving the earlier copy aside first.
int replaceFiles(const Extraction &run)
{
    SideNames names;
    for (int32_t k = 0; k < run.entryCount; ++k) {
        const JournalEntry &entry = run.entries[k];
        if (!sideNames(run, entry.file, entry.aside, names) ||
            (entry.earlier && !moveFile(names.path, names.old)) ||
            !moveFile(names.fresh, names.path))
            return EXTRACT_CANNOT_CREATE;
    }
    return EXTRACT_SUCCESS;
}

// What restoreFile found.
enum { RESTORE_FAILED, RESTORE_DONE, RESTORE_LOST };

// Puts a file back as it was before a run replaced it, judged from what is on disk, so that a
// second attempt after a partial one does the rest: the earlier copy back from its aside name,
// the new copy first moved out of its way to the temporary name; where there was no earlier
// copy, the new copy removed when removeNew allows. DONE when the file is as it was; LOST when
// its earlier copy is gone (deleted once moved aside): nothing can put it back.
int restoreFile(const SideNames &names, int earlier, int removeNew)
{
    if (!earlier)
        return !removeNew || !exists(names.path) || DeleteFileA(names.path) ? RESTORE_DONE
                                                                            : RESTORE_FAILED;
    // Not moved aside yet, or back already, leaves both the final name and the new copy; a
    // missing one of them means the earlier copy had been moved aside.
    if (!exists(names.old))
        return exists(names.path) && exists(names.fresh) ? RESTORE_DONE : RESTORE_LOST;
    if (exists(names.path)) {
        DeleteFileA(names.fresh);
        if (!moveFile(names.path, names.fresh))
            return RESTORE_FAILED;
    }
    return moveFile(names.old, names.path) ? RESTORE_DONE : RESTORE_FAILED;
}

// Adds the full path of a file to the lines of named: a path that does not fit is left out.
void nameFile(char *named, size_t size, const char *path)
{
    char full[TEXT_BUFFER_SIZE];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    if (length == 0 || length >= sizeof full)
        return;
    char line[TEXT_BUFFER_SIZE + 2];
    if (formatText(line, sizeof line, "%s%s", named[0] != '\0' ? "\r\n" : "", full))
        appendText(named, size, line);
}

// Puts back every file of the journal's entries, then removes the journal. A run's own roll-
// back (own) removes the new copies where no earlier copy was; a journal read from the data
// folder never removes a file of the system directory. An earlier copy that is gone cannot
// ever come back: its file is named in the lines of lost, and its entry counts as done, so
// that the run goes on and installs the file again. SUCCESS; NOT_RESTORED, with the first
// file not put back named in unrestored (lost's buffer) and the journal kept for the next
// run; CANNOT_CREATE when the journal cannot be removed.
int rollBack(const Extraction &run, int own, char *lost, size_t size)
{
    int restored = 1;
    SideNames names;
    for (int32_t k = 0; k < run.entryCount; ++k) {
        const JournalEntry &entry = run.entries[k];
        const char *name = run.table->fileNames[entry.file];
        int result = sideNames(run, entry.file, entry.aside, names)
                         ? restoreFile(names, entry.earlier, own || !hasSystemPrefix(name))
                         : RESTORE_FAILED;
        if (result == RESTORE_LOST && restored && lost != NULL)
            nameFile(lost, size, names.path);
        if (result == RESTORE_FAILED) {
            if (restored && lost != NULL) {
                DWORD length = GetFullPathNameA(names.path, (DWORD)size, lost, NULL);
                if (length == 0 || length >= size)
                    copyText(lost, size, name);
            }
            restored = 0;
        }
    }
    if (!restored)
        return EXTRACT_NOT_RESTORED;
    return DeleteFileA(JOURNAL_FILE_NAME) ? EXTRACT_SUCCESS : EXTRACT_CANNOT_CREATE;
}

// Finishes, before this run writes anything, the roll-back of a run killed while it replaced
// files, when its journal is there. A journal cut short, damaged or larger than this payload's
// is only removed: no entries.
int finishKilledRun(Extraction &run, char *unrestored, size_t size)
{
    HANDLE file = CreateFileA(JOURNAL_FILE_NAME, GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return exists(JOURNAL_FILE_NAME) ? EXTRACT_CANNOT_CREATE : EXTRACT_SUCCESS;
    DWORD room = (DWORD)journalSize(run.table->fileCount) + 1;
    DWORD read = 0;
    if (ReadFile(file, run.image, room, &read, NULL))
        parseJournal(run.image, read, run.table->fileNames, run.table->fileCount, run.entries,
                     &run.entryCount);
    CloseHandle(file);
    return rollBack(run, 0, unrestored, size);
}

// Everything after the earlier runs' leftovers: write, plan, journal, replace. The journal's
// removal is the point from which a kill keeps the new installation; the earlier copies go
// after it. On a failure every earlier file is put back and the new copies go.
int extractFiles(Extraction &run, InflateAhead *ahead, HWND window, ProgressRoutine progress,
                 char *unrestored, size_t size)
{
    const int32_t fileCount = run.table->fileCount;
    for (int32_t i = 0; i < fileCount; ++i)
        cleanLeftovers(run, i);
    run.entryCount = 0;
    int result = writeFiles(run, ahead, window, progress);
    if (result == EXTRACT_SUCCESS)
        result = planReplacement(run) ? writeJournal(run) : EXTRACT_CANNOT_CREATE;
    int journaled = result == EXTRACT_SUCCESS;
    if (result == EXTRACT_SUCCESS)
        result = replaceFiles(run);
    SideNames names;
    if (result == EXTRACT_SUCCESS && DeleteFileA(JOURNAL_FILE_NAME)) {
        for (int32_t k = 0; k < run.entryCount; ++k) {
            const JournalEntry &entry = run.entries[k];
            if (entry.earlier && sideNames(run, entry.file, entry.aside, names))
                discardMovedAside(names.old);
        }
        return EXTRACT_SUCCESS;
    }
    if (result == EXTRACT_SUCCESS)
        result = EXTRACT_CANNOT_CREATE;
    int rolledBack = journaled ? rollBack(run, 1, unrestored, size) : EXTRACT_SUCCESS;
    if (rolledBack == EXTRACT_NOT_RESTORED)
        result = EXTRACT_NOT_RESTORED;
    // A journal that stays keeps the new copies with it: by them the next run tells a file
    // that is back from one whose earlier copy was lost.
    for (int32_t i = 0; i < fileCount && rolledBack == EXTRACT_SUCCESS; ++i)
        if (run.wroteNew[i] && sideNames(run, i, 0, names))
            DeleteFileA(names.fresh);
    return result;
}

}  // namespace

void setExtractionCalls(const ExtractionCalls *calls)
{
    extractionCalls = calls != NULL ? calls : &platformCalls;
}

int extractPayloadTable(const PayloadTable &table, HWND window, ProgressRoutine progress,
                        char *unrestored, size_t unrestoredSize)
{
    if (unrestored != NULL && unrestoredSize > 0)
        unrestored[0] = '\0';
    else
        unrestored = NULL;
    size_t files = table.fileCount > 0 ? (size_t)table.fileCount : 1;
    Extraction run;
    run.table = &table;
    run.lead = &ansiLeadBytes();
    run.nt = isNtPlatform();
    run.entryCount = 0;
    // One block: the entries, a journal and a byte more, and a flag per file.
    size_t imageSize = journalSize((int32_t)files) + 1;
    run.entries = static_cast<JournalEntry *>(calloc(files * sizeof(JournalEntry) + imageSize + files, 1));
    run.image = reinterpret_cast<unsigned char *>(run.entries + files);
    run.wroteNew = run.image + imageSize;
    InflateAhead *ahead = startInflateAhead(table);
    int result = EXTRACT_OUT_OF_MEMORY;
    if (ahead != NULL && run.entries != NULL) {
        result = finishKilledRun(run, unrestored, unrestoredSize);
        if (result == EXTRACT_SUCCESS)
            result = extractFiles(run, ahead, window, progress, unrestored, unrestoredSize);
    }
    stopInflateAhead(ahead);
    free(run.entries);
    if (result == EXTRACT_SUCCESS) {
        report(progress, window, "", 100);
        report(progress, window, "Done", 100);
    }
    return result;
}

int makeParentDirectories(const char *path, const LeadBytes &lead)
{
    char prefix[TEXT_BUFFER_SIZE];
    size_t position = 0;
    for (size_t length; (length = nextParentFolder(path, &position, lead)) != 0;) {
        if (length >= sizeof prefix)
            return 0;
        memcpy(prefix, path, length);
        prefix[length] = '\0';
        struct _stat present;
        if (_stat(prefix, &present) != 0 && _mkdir(prefix) != 0)
            return 0;
    }
    return 1;
}
