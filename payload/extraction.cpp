// Writing the payload's files, one chunk at a time as the chunks come inflated (inflateAhead).
// Every file is written under a temporary name beside its final one, created new so that
// nothing already under that name is written through. Only when all are written whole do they
// take the final names, each earlier copy moved aside first under a name that is free. Before
// the first rename a journal of what is about to be replaced is written through to the disk;
// once every file has its final name the journal takes its second name, and goes when the
// earlier copies have. So any failure puts every earlier file back, and the run after a killed
// one finishes the roll-back before it writes anything.
#include "extraction.h"

#include <direct.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/utime.h>

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

// A journal of another build may name more files than this one has: room for that many bytes
// more than a journal of this payload can take.
const size_t JOURNAL_SLACK = 65536;

// What this run has done for a file, so that a failure undoes exactly that.
enum {
    WROTE_NEW = 1,     // the new copy lies under the temporary name
    EARLIER = 2,       // an earlier copy is there, to be moved aside under the aside name
    MOVED_ASIDE = 4,   // the earlier copy lies under the aside name
    PLACED = 8,        // the new copy has the final name
};

struct FileRecord {
    unsigned char state;
    unsigned char aside;  // the number of the aside name
};

// What one extraction works with: the table, the platform's facts, and its own records.
struct Extraction {
    const PayloadTable *table;
    const LeadBytes *lead;
    int nt;
    FileRecord *records;
    JournalEntry *entries;  // room for every file
    char *text;             // a journal's text
    size_t textSize;
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

// The final path of file i: the stored name in the data folder, or below the system
// directory for a name with the system prefix. 0 when it would not fit.
int finalPath(const Extraction &run, int32_t i, char *path, size_t size)
{
    const char *name = run.table->fileNames[i];
    if (!hasSystemPrefix(name))
        return copyText(path, size, name);
    char systemDirectory[TEXT_BUFFER_SIZE];
    UINT length = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
    return length != 0 && length < sizeof systemDirectory &&
           buildSystemDestination(path, size, systemDirectory, name, *run.lead);
}

int newCopyName(char *side, size_t size, const char *path)
{
    return formatText(side, size, "%s%s", path, NEW_COPY_SUFFIX);
}

// A shared file of the system directory is written only over an older copy.
int newerSystemCopy(const PayloadTable &table, int32_t i, const char *path)
{
    struct _stat present;
    return hasSystemPrefix(table.fileNames[i]) && _stat(path, &present) == 0 &&
           present.st_mtime > (time_t)table.fileTimes[i];
}

int exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The full path of a file whose earlier copy is not back, for the failure message; the first
// such file only.
void nameUnrestored(const char *path, char *unrestored, size_t size)
{
    if (unrestored == NULL || size == 0 || unrestored[0] != '\0')
        return;
    DWORD length = GetFullPathNameA(path, (DWORD)size, unrestored, NULL);
    if (length == 0 || length >= size)
        copyText(unrestored, size, path);
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

// Takes away what earlier runs left beside a final name once no journal asks for it: a killed
// run's new copy, and the earlier copies that completed runs moved aside. A copy that a
// running program still holds stays; its removal at the restart was asked for when it was
// moved aside. The names are taken in order, so the search ends at the first free one.
void cleanLeftovers(const char *path)
{
    char side[TEXT_BUFFER_SIZE];
    if (newCopyName(side, sizeof side, path))
        DeleteFileA(side);
    for (int32_t k = 0; k < ASIDE_NAME_COUNT && buildAsideName(side, sizeof side, path, k) &&
                        exists(side);
         ++k)
        DeleteFileA(side);
}

// A final name that is one of several links to a file: the other names, wherever they are,
// would keep what the run moves aside and removes. Only the NT family has such links. A file
// that cannot be opened to look is left to its rename.
int hasOtherLinks(const char *path)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    int linked = GetFileInformationByHandle(file, &information) && information.nNumberOfLinks > 1;
    CloseHandle(file);
    return linked;
}

// Whether the file at path may be replaced: 1 (also when there is none), 0 for a library a
// running program holds, which keeps its present copy, -1 when it cannot be (read-only, a
// folder, one of several links to a file, or a library that cannot be opened for another
// reason).
int replaceable(const char *path, int nt)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (pathNamesDll(path)) {
        // Opened for writing without being cut: a held library refuses it.
        FILE *probe = fopen(path, "r+b");
        if (probe == NULL)
            return errno == EACCES ? 0 : -1;
        fclose(probe);
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return nt && hasOtherLinks(path) ? -1 : 1;
}

// Writes the chunks of file i to an open file: 1, or 0 when a chunk does not inflate
// completely or is not completely written. Only verified bytes are ever written, each chunk
// in one call.
int writeChunks(const PayloadTable &table, int32_t i, HANDLE file, InflateAhead *ahead,
                HWND window, ProgressRoutine progress, int32_t &done, int32_t total)
{
    for (int32_t j = 0; j < table.chunkCounts[i]; ++j) {
        const unsigned char *data;
        int32_t length;
        if (!inflatedChunk(ahead, i, j, &data, &length))
            return 0;
        DWORD written;
        if (!WriteFile(file, data, (DWORD)length, &written, NULL) || written != (DWORD)length)
            return 0;
        ++done;
        report(progress, window, table.fileNames[i], percentDone(done, total));
    }
    return 1;
}

// Writes file i's new copy under its temporary name, closed, with its times. The name is
// created new: whatever is still there (a leftover that could not be taken away, a link to a
// file elsewhere) stops the run instead of being written through.
int writeNewCopy(const Extraction &run, int32_t i, const char *path, InflateAhead *ahead,
                 HWND window, ProgressRoutine progress, int32_t &done, int32_t total)
{
    const PayloadTable &table = *run.table;
    char side[TEXT_BUFFER_SIZE];
    if (!makeParentDirectories(path, *run.lead) || !newCopyName(side, sizeof side, path))
        return EXTRACT_CANNOT_CREATE;
    HANDLE file = CreateFileA(side, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return EXTRACT_CANNOT_CREATE;
    run.records[i].state = WROTE_NEW;
    int written = writeChunks(table, i, file, ahead, window, progress, done, total);
    if (!CloseHandle(file) || !written)
        return EXTRACT_CANNOT_WRITE;
    // The plain calls, which every msvcrt.dll has; on i686 their time_t has 32 bits, as the
    // stored times have.
    struct _utimbuf times;
    times.actime = table.fileTimes[i];
    times.modtime = table.fileTimes[i];
    _utime(side, &times);
    return EXTRACT_SUCCESS;
}

int writeFiles(const Extraction &run, InflateAhead *ahead, HWND window, ProgressRoutine progress)
{
    const PayloadTable &table = *run.table;
    int32_t total = 0;
    for (int32_t i = 0; i < table.fileCount; ++i)
        total += table.chunkCounts[i];
    int32_t done = 0;
    char path[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < table.fileCount; ++i) {
        report(progress, window, table.fileNames[i], percentDone(done, total));
        if (!finalPath(run, i, path, sizeof path))
            return EXTRACT_CANNOT_CREATE;
        int replace = newerSystemCopy(table, i, path) ? 0 : replaceable(path, run.nt);
        if (replace < 0)
            return EXTRACT_CANNOT_CREATE;
        if (replace == 0) {
            done += table.chunkCounts[i];
            continue;
        }
        int result = writeNewCopy(run, i, path, ahead, window, progress, done, total);
        if (result != EXTRACT_SUCCESS)
            return result;
    }
    return EXTRACT_SUCCESS;
}

// For every new copy: whether an earlier copy is to be moved aside, and the first free aside
// name for it. 0 when a file has no free aside name left.
int chooseAsideNames(const Extraction &run)
{
    char path[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        FileRecord &record = run.records[i];
        if (!(record.state & WROTE_NEW) || !finalPath(run, i, path, sizeof path))
            continue;
        if (!exists(path))
            continue;
        int32_t k = 0;
        for (; k < ASIDE_NAME_COUNT; ++k)
            if (!buildAsideName(old, sizeof old, path, k) || !exists(old))
                break;
        if (k == ASIDE_NAME_COUNT || old[0] == '\0')
            return 0;
        record.state |= EARLIER;
        record.aside = (unsigned char)k;
    }
    return 1;
}

// Records what is about to be replaced, written through to the disk and closed before the
// first rename. Its name is created new, like every file the run writes.
int writeJournal(const Extraction &run)
{
    int32_t count = 0;
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        const FileRecord &record = run.records[i];
        if (record.state & WROTE_NEW)
            run.entries[count++] = {i, record.aside, (record.state & EARLIER) ? 1 : 0};
    }
    if (!formatJournal(run.text, run.textSize, run.entries, count, run.table->fileNames))
        return EXTRACT_CANNOT_CREATE;
    HANDLE file = CreateFileA(JOURNAL_FILE_NAME, GENERIC_WRITE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return EXTRACT_CANNOT_CREATE;
    DWORD length = (DWORD)strlen(run.text);
    DWORD written;
    int whole = WriteFile(file, run.text, length, &written, NULL) && written == length &&
                FlushFileBuffers(file);
    if (!CloseHandle(file) || !whole) {
        DeleteFileA(JOURNAL_FILE_NAME);  // one that stays is cut short: never acted on
        return EXTRACT_CANNOT_WRITE;
    }
    return EXTRACT_SUCCESS;
}

// Gives every written file its final name, moving the earlier copy aside first.
int replaceFiles(const Extraction &run)
{
    char path[TEXT_BUFFER_SIZE];
    char fresh[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        FileRecord &record = run.records[i];
        if (!(record.state & WROTE_NEW))
            continue;
        if (!finalPath(run, i, path, sizeof path) || !newCopyName(fresh, sizeof fresh, path) ||
            !buildAsideName(old, sizeof old, path, record.aside))
            return EXTRACT_CANNOT_CREATE;
        if (record.state & EARLIER) {
            if (!moveFile(path, old))
                return EXTRACT_CANNOT_CREATE;
            record.state |= MOVED_ASIDE;
        }
        if (!moveFile(fresh, path))
            return EXTRACT_CANNOT_CREATE;
        record.state |= PLACED;
    }
    return EXTRACT_SUCCESS;
}

// Puts file i back as it was before a run replaced it, judged from what is on disk, so that a
// second attempt after a partial one does the rest: the earlier copy back from its aside name,
// the new copy first moved out of its way to the temporary name; where there was no earlier
// copy, the new copy removed when removeNew allows. 1 when the file is as it was.
int restoreFile(const Extraction &run, int32_t i, int32_t aside, int earlier, int removeNew)
{
    char path[TEXT_BUFFER_SIZE];
    char fresh[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    if (!finalPath(run, i, path, sizeof path) || !newCopyName(fresh, sizeof fresh, path) ||
        !buildAsideName(old, sizeof old, path, aside))
        return 0;
    if (!earlier)
        return !removeNew || !exists(path) || DeleteFileA(path);
    if (!exists(old))
        return 1;  // never moved aside, or back already
    if (exists(path)) {
        DeleteFileA(fresh);
        if (!moveFile(path, fresh))
            return 0;
    }
    return moveFile(old, path) != 0;
}

// After a failure: every earlier copy back under its final name (when the journal was written,
// renames may have begun) and every new copy gone. 1 when every earlier file is back; else 0
// with the first that is not named in unrestored, and the journal kept for the next run.
int rollBack(const Extraction &run, int journaled, char *unrestored, size_t size)
{
    int restored = 1;
    char path[TEXT_BUFFER_SIZE];
    char fresh[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        const FileRecord &record = run.records[i];
        if (!(record.state & WROTE_NEW) || !finalPath(run, i, path, sizeof path))
            continue;
        if (journaled && !restoreFile(run, i, record.aside, record.state & EARLIER,
                                      record.state & PLACED)) {
            nameUnrestored(path, unrestored, size);
            restored = 0;
        }
        if (newCopyName(fresh, sizeof fresh, path))
            DeleteFileA(fresh);
    }
    if (journaled && restored)
        DeleteFileA(JOURNAL_FILE_NAME);
    return restored;
}

// Reads the journal under name whole into the run's buffer: 1 with *length set, 0 when there
// is none, -1 when it cannot be read or is larger than a journal can be.
int readJournal(const Extraction &run, const char *name, size_t *length)
{
    *length = 0;
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return exists(name) ? -1 : 0;
    DWORD high = 0;
    DWORD bytes = GetFileSize(file, &high);
    DWORD read = 0;
    int whole = high == 0 && bytes < run.textSize &&
                ReadFile(file, run.text, bytes, &read, NULL) && read == bytes;
    CloseHandle(file);
    if (!whole)
        return -1;
    *length = read;
    return 1;
}

// The entries of the journal under name that concern this payload: their number, 0 when
// there is no journal or it is cut short or damaged. *present tells whether one is there.
int32_t journalEntries(const Extraction &run, const char *name, int *present)
{
    size_t length;
    int found = readJournal(run, name, &length);
    *present = found != 0;
    int32_t count = 0;
    if (found > 0)
        parseJournal(run.text, length, run.table->fileNames, run.table->fileCount, run.entries,
                     &count);
    return count;
}

// Finishes, before this run writes anything, what a killed run's journal says is left: the
// roll-back of a run killed while it replaced files, or, for one killed after it had replaced
// them all, the removal of the earlier copies. A journal from the data folder never removes a
// file of the system directory. SUCCESS when nothing is left; NOT_RESTORED, with the first
// file not put back named and the journal kept; CANNOT_CREATE when a journal cannot be removed.
int finishKilledRun(const Extraction &run, char *unrestored, size_t size)
{
    int present;
    int32_t count = journalEntries(run, JOURNAL_FILE_NAME, &present);
    int restored = 1;
    for (int32_t k = 0; k < count; ++k) {
        const JournalEntry &entry = run.entries[k];
        const char *name = run.table->fileNames[entry.file];
        if (!restoreFile(run, entry.file, entry.aside, entry.earlier, !hasSystemPrefix(name))) {
            char path[TEXT_BUFFER_SIZE];
            nameUnrestored(finalPath(run, entry.file, path, sizeof path) ? path : name, unrestored,
                           size);
            restored = 0;
        }
    }
    if (!restored)
        return EXTRACT_NOT_RESTORED;
    if (present && !DeleteFileA(JOURNAL_FILE_NAME))
        return EXTRACT_CANNOT_CREATE;

    count = journalEntries(run, JOURNAL_DONE_NAME, &present);
    char path[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    for (int32_t k = 0; k < count; ++k) {
        const JournalEntry &entry = run.entries[k];
        if (entry.earlier && finalPath(run, entry.file, path, sizeof path) &&
            buildAsideName(old, sizeof old, path, entry.aside))
            discardMovedAside(old);
    }
    if (present && !DeleteFileA(JOURNAL_DONE_NAME))
        return EXTRACT_CANNOT_CREATE;
    return EXTRACT_SUCCESS;
}

// After every file has its final name: the journal takes its second name, so that a kill from
// here on keeps the new files; then the earlier copies go, and the journal.
int finishReplacement(const Extraction &run)
{
    if (!moveFile(JOURNAL_FILE_NAME, JOURNAL_DONE_NAME))
        return EXTRACT_CANNOT_CREATE;
    char path[TEXT_BUFFER_SIZE];
    char old[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < run.table->fileCount; ++i) {
        const FileRecord &record = run.records[i];
        if ((record.state & MOVED_ASIDE) && finalPath(run, i, path, sizeof path) &&
            buildAsideName(old, sizeof old, path, record.aside))
            discardMovedAside(old);
    }
    DeleteFileA(JOURNAL_DONE_NAME);  // one that stays is read by the next run: its copies are gone
    return EXTRACT_SUCCESS;
}

// Everything after the earlier run's leftovers: write, choose the aside names, journal,
// replace; on a failure, roll back.
int extractFiles(const Extraction &run, InflateAhead *ahead, HWND window, ProgressRoutine progress,
                 char *unrestored, size_t size)
{
    char path[TEXT_BUFFER_SIZE];
    for (int32_t i = 0; i < run.table->fileCount; ++i)
        if (finalPath(run, i, path, sizeof path))
            cleanLeftovers(path);
    int result = writeFiles(run, ahead, window, progress);
    if (result == EXTRACT_SUCCESS && !chooseAsideNames(run))
        result = EXTRACT_CANNOT_CREATE;
    int journaled = 0;
    if (result == EXTRACT_SUCCESS) {
        result = writeJournal(run);
        journaled = result == EXTRACT_SUCCESS;
    }
    if (result == EXTRACT_SUCCESS)
        result = replaceFiles(run);
    if (result == EXTRACT_SUCCESS)
        result = finishReplacement(run);
    if (result != EXTRACT_SUCCESS && !rollBack(run, journaled, unrestored, size))
        result = EXTRACT_NOT_RESTORED;
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
    size_t files = table.fileCount > 0 ? (size_t)table.fileCount : 1;
    Extraction run;
    run.table = &table;
    run.lead = &ansiLeadBytes();
    run.nt = isNtPlatform();
    run.records = static_cast<FileRecord *>(calloc(files, sizeof(FileRecord)));
    run.entries = static_cast<JournalEntry *>(malloc(files * sizeof(JournalEntry)));
    run.textSize = journalLimit(table.fileNames, table.fileCount) + JOURNAL_SLACK;
    run.text = static_cast<char *>(malloc(run.textSize));
    InflateAhead *ahead = startInflateAhead(table);
    int result = EXTRACT_OUT_OF_MEMORY;
    if (ahead != NULL && run.records != NULL && run.entries != NULL && run.text != NULL) {
        result = finishKilledRun(run, unrestored, unrestoredSize);
        if (result == EXTRACT_SUCCESS)
            result = extractFiles(run, ahead, window, progress, unrestored, unrestoredSize);
    }
    stopInflateAhead(ahead);
    free(run.text);
    free(run.entries);
    free(run.records);
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
