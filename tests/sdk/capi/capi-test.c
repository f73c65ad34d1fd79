/* Uses the C interface as a C program does: the public header and the
   shared library only. */
#include "lorbane.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int g_number = 0;
static char g_message[256];

static int handler(qelSDKError* error)
{
    g_number = error->errorNumber;
    snprintf(g_message, sizeof g_message, "%s", error->errorMessage ? error->errorMessage : "");
    return 0;
}

/* ---- text conversions of the FOP sample through every function */

static char g_root[PATH_MAX + 2]; /* source tree, ending in '/' */

/* The source tree: the first argument, else from this file's path (the
   test runs in the build folder, which relative paths start from). */
static int findRoot(int argc, char** argv)
{
    const char* tail = "tests/sdk/capi/capi-test.c";
    if (argc > 1) {
        char absolute[PATH_MAX];
        if (!realpath(argv[1], absolute))
            return 0;
        snprintf(g_root, sizeof g_root, "%s/", absolute);
        return 1;
    }
    const char* file = __FILE__;
    size_t length = strlen(file);
    if (length < strlen(tail) || strcmp(file + length - strlen(tail), tail) != 0)
        return 0;
    char relative[1024];
    snprintf(relative, sizeof relative, "./%.*s", (int)(length - strlen(tail)), file);
    char absolute[PATH_MAX];
    if (!realpath(relative, absolute))
        return 0;
    snprintf(g_root, sizeof g_root, "%s/", absolute);
    return 1;
}

static char* readAll(const char* path, long* size)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return NULL;
    char* data = NULL;
    if (fseek(file, 0, SEEK_END) == 0) {
        long n = ftell(file);
        if (n >= 0 && fseek(file, 0, SEEK_SET) == 0 && (data = malloc((size_t)n + 1)) != NULL) {
            if (fread(data, 1, (size_t)n, file) != (size_t)n) {
                free(data);
                data = NULL;
            } else {
                data[n] = '\0';
                *size = n;
            }
        }
    }
    fclose(file);
    return data;
}

/* The words of a text joined by single blanks. */
static char* wordsOf(const char* data, long size)
{
    char* words = malloc((size_t)size + 1);
    if (!words)
        return NULL;
    long n = 0;
    int inWord = 0;
    for (long i = 0; i < size; ++i) {
        char c = data[i];
        int blank = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '\0';
        if (blank) {
            inWord = 0;
            continue;
        }
        if (!inWord && n > 0)
            words[n++] = ' ';
        words[n++] = c;
        inWord = 1;
    }
    words[n] = '\0';
    return words;
}

static char g_sample[PATH_MAX + 64];
static char* g_written = NULL; /* the writer's documents, words only */

static int keepDocument(qelSDKOutputRecord* record)
{
    if (!record || !record->data)
        return 0;
    char* words = wordsOf(record->data, (long)record->length);
    if (!words)
        return -1;
    size_t old = g_written ? strlen(g_written) : 0;
    char* all = realloc(g_written, old + strlen(words) + 2);
    if (!all) {
        free(words);
        return -1;
    }
    if (old == 0)
        all[0] = '\0';
    else
        strcat(all, " ");
    strcat(all, words);
    g_written = all;
    free(words);
    return 0;
}

static qelSDKDocumentRecord* readDocument(const char* id)
{
    long size = 0;
    char* data = readAll(id, &size);
    if (!data)
        return NULL;
    qelSDKDocumentRecord* record = calloc(1, sizeof *record);
    if (!record) {
        free(data);
        return NULL;
    }
    record->data = data;
    record->length = (uint32_t)size;
    return record;
}

typedef struct
{
    char directory[64];
    char out[80];
    qelSDKNameValue pairs[4];
} TextRun;

/* Options for text output into <directory>/out/; merging on request. */
static void textOptions(TextRun* run, int merge)
{
    snprintf(run->out, sizeof run->out, "%s/out/", run->directory);
    qelSDKNameValue pairs[4] = {{(char*)"IniFilePath", run->directory, NULL},
                                {(char*)"OutputFormat", (char*)"ASCII", NULL},
                                {(char*)"OutputFilePath", run->out, NULL},
                                {(char*)"FileCreationMode", (char*)"doc_merge", NULL}};
    memcpy(run->pairs, pairs, sizeof pairs);
    run->pairs[0].next = &run->pairs[1];
    run->pairs[1].next = &run->pairs[2];
    run->pairs[2].next = merge ? &run->pairs[3] : NULL;
}

static int expectWords(const char* what, int rc, const char* words, const char* expected)
{
    if (rc != 0 || !words || strcmp(words, expected) != 0) {
        fprintf(stderr, "%s: result %d, handler %d \"%s\"\nwords: %s\nexpected: %s\n", what, rc, g_number, g_message,
                words ? words : "(none)", expected);
        return 1;
    }
    return 0;
}

static int convertSample(TextRun* run)
{
    int failures = 0;
    char path[1200];
    long size = 0;
    qelSDKNameList sample = {g_sample, NULL};

    /* lorbane_File: the words every other function must give. */
    textOptions(run, 0);
    lorbane_SetOptions(run->pairs);
    lorbane_File_Init();
    lorbane_ApplyOptions(run->pairs);
    int rc = lorbane_File(&sample);
    lorbane_File_Term();
    snprintf(path, sizeof path, "%sfop-hello.txt", run->out);
    char* text = readAll(path, &size);
    char* expected = text ? wordsOf(text, size) : NULL;
    free(text);
    if (rc != 0 || !expected || !strstr(expected, "Hello AFP world.") || !strstr(expected, "- Page 2 -")) {
        fprintf(stderr, "lorbane_File: result %d, words: %s\n", rc, expected ? expected : "(none)");
        free(expected);
        return 1;
    }

    /* lorbane_Mem */
    char* input = readAll(g_sample, &size);
    void* out = NULL;
    int outSize = 0;
    textOptions(run, 0);
    lorbane_SetOptions(run->pairs);
    lorbane_Mem_Init();
    lorbane_ApplyOptions(run->pairs);
    rc = input ? lorbane_Mem(input, (int)size, &out, &outSize) : -1;
    lorbane_Mem_Term();
    free(input);
    char* words = out ? wordsOf(out, outSize) : NULL;
    failures += expectWords("lorbane_Mem", rc, words, expected);
    free(words);
    free(out);

    /* lorbane_Mem_Writer */
    qelSDKDocumentWriter previousWriter = lorbane_SetWriterCallback(&keepDocument);
    textOptions(run, 0);
    lorbane_SetOptions(run->pairs);
    lorbane_Mem_Writer_Init();
    lorbane_ApplyOptions(run->pairs);
    rc = lorbane_Mem_Writer(g_sample);
    lorbane_Mem_Writer_Term();
    lorbane_SetWriterCallback(previousWriter);
    failures += expectWords("lorbane_Mem_Writer", rc, g_written, expected);
    free(g_written);
    g_written = NULL;

    /* lorbane_File_Reader, merging */
    qelSDKDocumentReader previousReader = lorbane_SetReaderCallback(&readDocument);
    snprintf(path, sizeof path, "%smerged.txt", run->out);
    textOptions(run, 1);
    lorbane_SetOptions(run->pairs);
    lorbane_Reader_Init();
    lorbane_ApplyOptions(run->pairs);
    rc = lorbane_File_Reader(&sample, path);
    lorbane_Reader_Term();
    text = readAll(path, &size);
    words = text ? wordsOf(text, size) : NULL;
    failures += expectWords("lorbane_File_Reader", rc, words, expected);
    free(words);
    free(text);
    remove(path);

    /* lorbane_Mem_Reader, merging */
    out = NULL;
    outSize = 0;
    textOptions(run, 1);
    lorbane_SetOptions(run->pairs);
    lorbane_Reader_Init();
    lorbane_ApplyOptions(run->pairs);
    rc = lorbane_Mem_Reader(&sample, &out, &outSize);
    lorbane_Reader_Term();
    lorbane_SetReaderCallback(previousReader);
    words = out ? wordsOf(out, outSize) : NULL;
    failures += expectWords("lorbane_Mem_Reader", rc, words, expected);
    free(words);
    free(out);

    free(expected);
    return failures;
}

int main(int argc, char** argv)
{
    int failures = 0;
    const char* version = lorbane_GetVersion();
    if (!version || strncmp(version, "Lorbane SDK v", 13) != 0) {
        fprintf(stderr, "unexpected version line: %s\n", version ? version : "(null)");
        ++failures;
    }
    const char* all = getVersionAll();
    if (!all || strncmp(all, version, strlen(version)) != 0) {
        fprintf(stderr, "component listing does not begin with the version line\n");
        ++failures;
    }
    /* The initialise needs an INI file. */
    char directory[] = "/tmp/lorbane-capi-XXXXXX";
    if (!mkdtemp(directory))
        return 1;
    char ini[64];
    snprintf(ini, sizeof ini, "%s/lorbane.ini", directory);
    FILE* file = fopen(ini, "w");
    if (!file)
        return 1;
    fputs("[Settings]\nQuietMode=on\n", file);
    fclose(file);
    qelSDKNameValue option = {(char*)"IniFilePath", directory, NULL};
    lorbane_SetOptions(&option);
    lorbane_SetErrorHandler(&handler);
    int rc = lorbane_File(NULL);
    if (rc != -209 || g_number != -209 || strcmp(g_message, "E209: Null FileList.") != 0) {
        fprintf(stderr, "lorbane_File(NULL): %d, handler %d \"%s\"\n", rc, g_number, g_message);
        ++failures;
    }
    lorbane_File_Term();
    remove(ini);

    /* The FOP sample to text through every conversion function. */
    if (!findRoot(argc, argv)) {
        fprintf(stderr, "source tree not found; give it as the argument\n");
        ++failures;
    } else {
        TextRun run;
        snprintf(run.directory, sizeof run.directory, "%s", directory);
        snprintf(g_sample, sizeof g_sample, "%stests/data/fop/fop-hello.afp", g_root);
        char out[128];
        snprintf(out, sizeof out, "%s/out", directory);
        file = fopen(ini, "w");
        if (!file || mkdir(out, 0755) != 0)
            return 1;
        fprintf(file, "[Settings]\nQuietMode=on\nCpPath=%sdata/\n", g_root);
        fclose(file);
        failures += convertSample(&run);
        char command[256];
        snprintf(command, sizeof command, "rm -rf '%s'", directory);
        if (system(command) != 0)
            ++failures;
    }
    rmdir(directory);
    if (failures == 0)
        fprintf(stderr, "%s\n", version);
    return failures == 0 ? 0 : 1;
}
