/* Console demonstration of the Lorbane C interface: one command per
   conversion function. Every text goes to standard error. */
#include "lorbane.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#define PROGRAM_NAME "Lorbane C SDK Demo"
#define PROGRAM_VERSION "1.0.1"
#define NOTICE_LINE "Copyright (c) Lorbane developers. All rights reserved.\n"
#define SUPPORT_LINE "For support, contact the supplier of your Lorbane kit.\n"

/* Commands of the option rows. */
enum
{
    IN_LORBANE = 1, /* lorbane and lorbanemem */
    IN_MERGE = 2,
    IN_MERGEMEM = 4,
    IN_LORPDF = 8,
    IN_ALL = 15,
    IN_NOT_LORPDF = 7
};

typedef struct
{
    const char* name;
    const char* syntax;
    const char* description;
    const char* key;
    int commands;
} OptionRow;

static const OptionRow kRows[] = {
    {"h", "-h", "Prints this usage", NULL, IN_ALL},
    {"q", "-q", "Turn on quiet mode, default is off.", "QuietMode", IN_ALL},
    {"c", "-c", "Turn on color output, default is off.", "Color", IN_ALL},
    {"l", "-l", "Turn on logging, default is off.", "Logging", IN_ALL},
    {"p", "-p", "Write Protocol Information", "Protocol", IN_NOT_LORPDF},
    {"s", "-s", "Write Statistics", "Statistic", IN_NOT_LORPDF},
    {"ll", "-ll:<level>", "Set logging level, default is 0 (log nothing)", "LoggingLevel", IN_ALL},
    {"lp", "-lp:<path>", "Set log path", "LogPath", IN_ALL},
    {"op", "-op:<path>", "Set Output file path", "OutputFilePath", IN_NOT_LORPDF},
    {"ip", "-ip:<path>", "Set ini path", "IniFilePath", IN_ALL},
    {"tp", "-tp:<path>", "Set Temporary Path", "TempPath", IN_ALL},
    {"fp", "-fp:<path>", "Set font path to additional Type1 and TrueType fonts", "ExtFontPath", IN_ALL},
    {"rp", "-rp:<path>", "Set resource path", "ResPath", IN_NOT_LORPDF},
    {"xp", "-xp:<path>", "Index file path", "IndexPath", IN_NOT_LORPDF},
    {"sp", "-sp:<file>", "Set script procedure filename", "ScriptProcedure", IN_NOT_LORPDF},
    {"sa", "-sa:<arguments>", "Set script arguments", "ScriptArgument", IN_NOT_LORPDF},
    {"strict", "-strict", "Stop the process when a resource is not found", "Strict", IN_ALL},
    {"doc_merge", "-doc_merge", "Merge AFP/TIFF files into a pdf file", "FileCreationMode", IN_MERGE | IN_MERGEMEM},
    {"AFP", "-AFP", "Output Format", "OutputFormat", IN_NOT_LORPDF},
    {"PDF", "-PDF", "Output Format", "OutputFormat", IN_ALL},
    {"PDFA", "-PDFA", "Output Format", "OutputFormat", IN_ALL},
    {"TIFF", "-TIFF", "Output Format", "OutputFormat", IN_NOT_LORPDF},
    {"JPEG", "-JPEG", "Output Format", "OutputFormat", IN_NOT_LORPDF},
    {"ASCII", "-ASCII", "Output Format", "OutputFormat", IN_NOT_LORPDF},
    {"PNG", "-PNG", "Output Format", "OutputFormat", IN_NOT_LORPDF},
    {"lpdin", "-lpdin", "Input Format", "InputFormat", IN_NOT_LORPDF},
    {"mmdin", "-mmdin", "Input Format", "InputFormat", IN_NOT_LORPDF},
    {"sft", "-sft:<type>", "Spool File Type", "SpoolFileType", IN_NOT_LORPDF},
    {"fd", "-fd:<name>", "Form Definition Name", "FormdefFilename", IN_NOT_LORPDF},
    {"pd", "-pd:<name>", "Page Definition Name", "PagedefFilename", IN_NOT_LORPDF},
    {"pk", "-pk:<key>", "Private key", "PKEY", IN_NOT_LORPDF},
    {"nco", "-nco", "Non Coded output", "CodedOutput", IN_NOT_LORPDF},
    {"doc_index", "-doc_index", "One file for each Document Index", "FileCreationMode", IN_NOT_LORPDF},
    {"doc_cold", "-doc_cold", "split file using Scripting Facility", "FileCreationMode", IN_NOT_LORPDF},
    {"all", "-all", "One output file for all AFP documents.", "FileCreationMode", IN_NOT_LORPDF},
    {"doc", "-doc", "One output file per AFP document.", "FileCreationMode", IN_NOT_LORPDF},
    {"page", "-page", "One file for each page in AFP document", "FileCreationMode", IN_NOT_LORPDF},
    {"of", "OutputFilename", "Used to Specify output file name", "OutputFilename", IN_MERGE},
};

#define ROW_LIMIT (sizeof kRows / sizeof kRows[0])

/* The rows of one command, in table order. */
typedef struct
{
    const OptionRow* rows[ROW_LIMIT];
    int count;
} OptionTable;

static void buildTable(OptionTable* table, int command)
{
    table->count = 0;
    for (size_t i = 0; i < ROW_LIMIT; ++i)
        if (kRows[i].commands & command)
            table->rows[table->count++] = &kRows[i];
}

/* Writer state, kept for the process. */
static int g_documentCounter = 0;
static const char* g_outputDirectory = NULL;
static const char* g_outputExtension = NULL;
/* Set when a file of the writer could not be written; lorbanemem then
   ends with -8 (the interface does not use the writer's results). */
static int g_writeFailed = 0;

static void printBanner(void)
{
    fprintf(stderr, "Running %s Version %s\n", PROGRAM_NAME, PROGRAM_VERSION);
    fputs(NOTICE_LINE, stderr);
    fputs(SUPPORT_LINE, stderr);
}

static void printUsage(const char* program)
{
    fputs("Usage :\n", stderr);
    fprintf(stderr, "%s <Command> <Command specific options>\n", program);
    fputs("Or\n", stderr);
    fprintf(stderr, "%s <Options>\n", program);
    fputs("\nWhere 'Command' must be one of below\n", stderr);
    fputs("LORPDF                   -->  Demonstrates 'lorbane_Mem' API usage.\n", stderr);
    fputs("Lorbane                   -->  Demonstrates 'lorbane_File' API usage.\n", stderr);
    fputs("LorbaneMem                -->  Demonstrates 'lorbane_Mem_Writer' API usage.\n", stderr);
    fputs("Merge                     -->  Demonstrates 'lorbane_File_Reader' API usage.\n", stderr);
    fputs("MergeMem                  -->  Demonstrates 'lorbane_Mem_Reader' API usage.\n", stderr);
    fputs("<Command> -h              -->  Displays command specific options/usage.\n", stderr);
    fputs("\nWhere 'Options' are\n", stderr);
    fputs("-v                        -->  Display version\n", stderr);
    fputs("-vall                     -->  Display version product and its sub components\n", stderr);
    fputs("-h or -?                  -->  Displays this usage.\n", stderr);
}

static void printOptionTable(const OptionTable* table)
{
    for (int i = 0; i < table->count; ++i)
        fprintf(stderr, "-%-30s-> %s\n", table->rows[i]->name, table->rows[i]->description);
}

/* The argument as far as its option name goes ("-zz:5" gives "-zz"). */
static void printInvalidOption(const OptionTable* table, const char* argument)
{
    const char* colon = strchr(argument, ':');
    int length = colon ? (int)(colon - argument) : (int)strlen(argument);
    fprintf(stderr, "Invalid option %.*s\n\n", length, argument);
    fputs("where allowed options are:\n", stderr);
    printOptionTable(table);
}

static int findOption(const OptionTable* table, const char* name, size_t length)
{
    for (int i = 0; i < table->count; ++i)
        if (strlen(table->rows[i]->name) == length && strncasecmp(table->rows[i]->name, name, length) == 0)
            return i;
    return -1;
}

static long getFileSize(const char* path)
{
    struct stat status;
    if (!path || stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    return (long)status.st_size;
}

static void freeKeyValueList(qelSDKNameValue* list)
{
    while (list) {
        qelSDKNameValue* next = list->next;
        free(list);
        list = next;
    }
}

static void freeFileList(qelSDKNameList* list)
{
    while (list) {
        qelSDKNameList* next = list->next;
        free(list);
        list = next;
    }
}

/* Keys and values point into the command line and the table; the value of
   an option with ':' is the text after it. */
static int parseCommandOptions(int argc, char** argv, qelSDKNameValue** options, qelSDKNameList** files,
                               const OptionTable* table)
{
    *options = NULL;
    *files = NULL;
    if (argc < 2)
        return -1;
    if (argc < 3)
        return -2;
    qelSDKNameValue** optionTail = options;
    qelSDKNameList** fileTail = files;
    for (int i = 2; i < argc; ++i) {
        char* argument = argv[i];
        if (argument[0] == '-') {
            if (argument[1] == '\0') {
                if (i == argc - 1)
                    goto failed;
                continue;
            }
            char* name = argument + 1;
            char* colon = strchr(name, ':');
            size_t length = colon ? (size_t)(colon - name) : strlen(name);
            int row = findOption(table, name, length);
            if (row < 0)
                goto failed;
            if (row == 0) {
                freeKeyValueList(*options);
                freeFileList(*files);
                *options = NULL;
                *files = NULL;
                return 0;
            }
            const OptionRow* r = table->rows[row];
            qelSDKNameValue* pair = calloc(1, sizeof *pair);
            if (!pair) {
                freeKeyValueList(*options);
                freeFileList(*files);
                *options = NULL;
                *files = NULL;
                return -100;
            }
            pair->name = (char*)(colon && strcmp(r->name, "of") == 0 ? r->syntax : r->key);
            if (colon)
                pair->value = colon + 1;
            else
                pair->value = length == 1 ? (char*)"on" : name;
            *optionTail = pair;
            optionTail = &pair->next;
        } else {
            qelSDKNameList* node = calloc(1, sizeof *node);
            if (!node) {
                freeKeyValueList(*options);
                freeFileList(*files);
                *options = NULL;
                *files = NULL;
                return -100;
            }
            node->name = argument;
            *fileTail = node;
            fileTail = &node->next;
        }
        continue;
    failed:
        freeKeyValueList(*options);
        freeFileList(*files);
        *options = NULL;
        *files = NULL;
        return -i;
    }
    return 1;
}

/* ---- callbacks */

static int customErrorHandler(qelSDKError* error)
{
    if (!error)
        return -1;
    fprintf(stderr, "[customErrorHandler]: Error Number : %d\n", error->errorNumber);
    fprintf(stderr, "[customErrorHandler]: Error Message : %s\n", error->errorMessage ? error->errorMessage : "");
    return error->errorNumber;
}

static qelSDKDocumentRecord* demoDocumentReader(const char* documentId)
{
    if (!documentId)
        return NULL;
    long size = getFileSize(documentId);
    if (size <= 0) {
        fprintf(stderr, "Error! Invalid file size for document %s (rc=%d, msg=%s)\n", documentId, errno,
                strerror(errno));
        return NULL;
    }
    FILE* file = fopen(documentId, "rb");
    if (!file) {
        fprintf(stderr, "Error! Unable to open the document %s (rc=%d, msg=%s)\n", documentId, errno,
                strerror(errno));
        return NULL;
    }
    qelSDKDocumentRecord* record = calloc(1, sizeof *record);
    if (!record) {
        fprintf(stderr, "Error! Unable to allocate memory for document %s object while reading (rc=%d, msg=%s)\n",
                documentId, errno, strerror(errno));
        fclose(file);
        return NULL;
    }
    record->data = malloc((size_t)size);
    record->indexList = calloc(1, sizeof *record->indexList);
    if (!record->data || !record->indexList) {
        fprintf(stderr, "Error! Unable to allocate memory for document %s buffer while reading (rc=%d, msg=%s)\n",
                documentId, errno, strerror(errno));
        free(record->data);
        free(record->indexList);
        free(record);
        fclose(file);
        return NULL;
    }
    if (fread(record->data, 1, (size_t)size, file) != (size_t)size) {
        fprintf(stderr, "Error! Unable to read document %s data (rc=%d, msg=%s)\n", documentId, errno,
                strerror(errno));
        free(record->data);
        free(record->indexList);
        free(record);
        fclose(file);
        return NULL;
    }
    fclose(file);
    record->length = (uint32_t)size;
    record->indexList->name = (char*)"I_LRB_DOC_ID";
    record->indexList->value = (char*)documentId;
    return record;
}

/* A name from the record may name a file only when it stays below the
   output directory: relative and without '..' parts. */
static int isSafeName(const char* name)
{
    if (!name || name[0] == '/' || name[0] == '\\')
        return 0;
    const char* part = name;
    while (*part) {
        size_t length = strcspn(part, "/\\");
        if (length == 2 && part[0] == '.' && part[1] == '.')
            return 0;
        part += length;
        if (*part)
            ++part;
    }
    return 1;
}

/* "%s%s_%06d" or "%s%06d" with the directory, the record name and n, plus
   the tail; a new text. */
static char* makeName(const char* name, int n, const char* tail)
{
    const char* directory = g_outputDirectory ? g_outputDirectory : "";
    size_t size = strlen(directory) + (name ? strlen(name) + 1 : 0) + 16 + strlen(tail) + 1;
    char* text = malloc(size);
    if (!text)
        return NULL;
    if (name)
        snprintf(text, size, "%s%s_%06d%s", directory, name, n, tail);
    else
        snprintf(text, size, "%s%06d%s", directory, n, tail);
    return text;
}

/* Closes a file the writer wrote: 0, or -1 after a message when a write
   or the close failed (the partial file is removed). */
static int closeWritten(FILE* file, const char* path)
{
    int failed = ferror(file);
    int error = errno;
    if (fclose(file) != 0 && !failed) {
        failed = 1;
        error = errno;
    }
    if (!failed)
        return 0;
    fprintf(stderr, "Error! While writing the output file %s (rc=%d, msg=%s)\n", path, error, strerror(error));
    remove(path);
    g_writeFailed = 1;
    return -1;
}

static int demoDocumentWriter(qelSDKOutputRecord* record)
{
    if (!record)
        return -1;
    int n = ++g_documentCounter;
    if (!g_outputDirectory)
        g_outputDirectory = "pdf/";
    if (!g_outputExtension)
        g_outputExtension = "pdf";
    const char* name = record->name && *record->name ? record->name : NULL;
    if (name && !isSafeName(name)) {
        fprintf(stderr, "Error! Unable to use document name %s as a file name\n", name);
        return -2;
    }
    if (record->data && record->length > 0) {
        size_t size = strlen(g_outputExtension) + 2;
        char* tail = malloc(size);
        char* path = NULL;
        if (tail) {
            snprintf(tail, size, ".%s", g_outputExtension);
            path = makeName(name, n, tail);
            free(tail);
        }
        FILE* file = path ? fopen(path, "wb") : NULL;
        if (!file) {
            fprintf(stderr, "Error! Unable to open file %s (rc=%d, msg=%s) to write document\n", path ? path : "",
                    errno, strerror(errno));
            free(path);
            return -2;
        }
        fwrite(record->data, 1, record->length, file);
        int rc = closeWritten(file, path);
        free(path);
        if (rc < 0)
            return -2;
    }
    if (record->indexList) {
        char* path = makeName(name, n, ".idx");
        FILE* file = path ? fopen(path, "w") : NULL;
        if (!file) {
            fprintf(stderr, "Error! Unable to open file %s (rc=%d, msg=%s) to write document indexes\n",
                    path ? path : "", errno, strerror(errno));
            free(path);
            return -3;
        }
        for (qelSDKNameValue* entry = record->indexList; entry; entry = entry->next)
            fprintf(file, "%s=%s\n", entry->name ? entry->name : "", entry->value ? entry->value : "");
        int rc = closeWritten(file, path);
        free(path);
        if (rc < 0)
            return -3;
    }
    for (qelSDKUserData* entry = record->userDataList; entry; entry = entry->next) {
        if (!entry->data || entry->length == 0)
            continue;
        if (entry->name && !isSafeName(entry->name)) {
            fprintf(stderr, "Error! Unable to use document name %s as a file name\n", entry->name);
            return -4;
        }
        const char* id = entry->name ? entry->name : "";
        size_t size = strlen(id) + 6;
        char* tail = malloc(size);
        char* path = NULL;
        if (tail) {
            snprintf(tail, size, "_%s.dat", id);
            path = makeName(name, n, tail);
            free(tail);
        }
        FILE* file = path ? fopen(path, "wb") : NULL;
        if (!file) {
            fprintf(stderr, "Error! Unable to open file %s (rc=%d, msg=%s) to write document user data\n",
                    path ? path : "", errno, strerror(errno));
            free(path);
            return -4;
        }
        fwrite(entry->data, 1, entry->length, file);
        int rc = closeWritten(file, path);
        free(path);
        if (rc < 0)
            return -4;
    }
    return 0;
}

static void setDemoOutputDefaults(qelSDKNameValue* options)
{
    const char* directory = NULL;
    const char* extension = NULL;
    for (qelSDKNameValue* pair = options; pair && !(directory && extension); pair = pair->next) {
        if (!pair->name)
            continue;
        if (!directory && strcasecmp(pair->name, "OutputFilePath") == 0) {
            directory = pair->value;
        } else if (!extension && strcasecmp(pair->name, "OutputFormat") == 0 && pair->value) {
            if (strcasecmp(pair->value, "ASCII") == 0)
                extension = "txt";
            else if (strcasecmp(pair->value, "PDFA") == 0)
                extension = "pdf";
            else if (strcasecmp(pair->value, "TIFF") == 0)
                extension = "tif";
            else if (strcasecmp(pair->value, "JPEG") == 0)
                extension = "jpg";
            else
                extension = pair->value;
        }
    }
    if (directory)
        g_outputDirectory = directory;
    if (extension)
        g_outputExtension = extension;
}

/* ---- drivers */

static int runLorbaneFile(qelSDKNameValue* options, qelSDKNameList* files)
{
    if (!files)
        return -1;
    int rc = lorbane_SetOptions(options);
    if (rc < 0)
        return rc;
    rc = lorbane_File_Init();
    if (rc < 0)
        return rc;
    rc = lorbane_ApplyOptions(options);
    if (rc < 0) {
        lorbane_File_Term();
        return rc;
    }
    rc = lorbane_File(files);
    lorbane_File_Term();
    return rc;
}

static int runLorbaneMem(qelSDKNameValue* options, void* buffer, int size, void** outBuffer, int* outSize)
{
    if (size <= 0)
        return -1;
    int rc = lorbane_SetOptions(options);
    if (rc < 0)
        return rc;
    rc = lorbane_Mem_Init();
    if (rc < 0)
        return rc;
    rc = lorbane_ApplyOptions(options);
    if (rc >= 0)
        rc = lorbane_Mem(buffer, size, outBuffer, outSize);
    lorbane_Mem_Term();
    return rc;
}

static int runLorbaneMemWriter(qelSDKNameValue* options, qelSDKNameList* files)
{
    if (!files)
        return -1;
    lorbane_SetWriterCallback(&demoDocumentWriter);
    int rc = 0;
    for (qelSDKNameList* file = files; file; file = file->next) {
        if (!file->name)
            return -2;
        rc = lorbane_SetOptions(options);
        if (rc < 0)
            return rc;
        rc = lorbane_Mem_Writer_Init();
        if (rc < 0)
            return rc;
        rc = lorbane_ApplyOptions(options);
        if (rc < 0) {
            lorbane_Mem_Writer_Term();
            return rc;
        }
        rc = lorbane_Mem_Writer(file->name);
        lorbane_Mem_Writer_Term();
        if (rc < 0)
            return rc;
    }
    return rc;
}

static int runLorbaneFileReader(qelSDKNameValue* options, qelSDKNameList* ids, const char* outputFile)
{
    if (!ids)
        return -1;
    lorbane_SetReaderCallback(&demoDocumentReader);
    int rc = lorbane_SetOptions(options);
    if (rc < 0)
        return rc;
    rc = lorbane_Reader_Init();
    if (rc < 0)
        return rc;
    rc = lorbane_ApplyOptions(options);
    if (rc >= 0)
        rc = lorbane_File_Reader(ids, outputFile);
    lorbane_Reader_Term();
    return rc;
}

/* Merging is asked for through the options: the pair goes last, so it wins
   over the command line as setting it after the option pass would. */
static int runLorbaneMemReader(qelSDKNameValue* options, qelSDKNameList* ids, void** outBuffer, int* outSize)
{
    lorbane_SetReaderCallback(&demoDocumentReader);
    int rc = lorbane_SetOptions(options);
    if (rc < 0)
        return rc;
    rc = lorbane_Reader_Init();
    if (rc < 0)
        return rc;
    qelSDKNameValue merge = {(char*)"FileCreationMode", (char*)"doc_merge", NULL};
    qelSDKNameValue** tail = &options;
    while (*tail)
        tail = &(*tail)->next;
    *tail = &merge;
    rc = lorbane_ApplyOptions(options);
    *tail = NULL;
    if (rc >= 0)
        rc = lorbane_Mem_Reader(ids, outBuffer, outSize);
    lorbane_Reader_Term();
    return rc;
}

/* ---- commands */

/* Parses the command's options; 1 to go on, else the command's result in
   *result. */
static int commandFrame(int argc, char** argv, int command, qelSDKNameValue** options, qelSDKNameList** files,
                        int* result)
{
    OptionTable table;
    buildTable(&table, command);
    if (argc <= 2) {
        fputs("where options are:\n", stderr);
        printOptionTable(&table);
        *result = -1;
        return 0;
    }
    int rc = parseCommandOptions(argc, argv, options, files, &table);
    if (rc == -100) {
        *result = -100;
        return 0;
    }
    if (rc < 0) {
        printInvalidOption(&table, argv[-rc]);
        *result = rc;
        return 0;
    }
    if (rc == 0) {
        fputs("where options are:\n", stderr);
        printOptionTable(&table);
        *result = 0;
        return 0;
    }
    lorbane_SetErrorHandler(&customErrorHandler);
    return 1;
}

static int cmdLorbane(int argc, char** argv)
{
    qelSDKNameValue* options = NULL;
    qelSDKNameList* files = NULL;
    int rc = 0;
    if (!commandFrame(argc, argv, IN_LORBANE, &options, &files, &rc))
        return rc;
    rc = runLorbaneFile(options, files);
    freeKeyValueList(options);
    freeFileList(files);
    return rc;
}

static int cmdLorbaneMem(int argc, char** argv)
{
    qelSDKNameValue* options = NULL;
    qelSDKNameList* files = NULL;
    int rc = 0;
    if (!commandFrame(argc, argv, IN_LORBANE, &options, &files, &rc))
        return rc;
    setDemoOutputDefaults(options);
    rc = runLorbaneMemWriter(options, files);
    if (rc >= 0 && g_writeFailed)
        rc = -8;
    freeKeyValueList(options);
    freeFileList(files);
    return rc;
}

static int cmdMerge(int argc, char** argv)
{
    qelSDKNameValue* options = NULL;
    qelSDKNameList* files = NULL;
    int rc = 0;
    if (!commandFrame(argc, argv, IN_MERGE, &options, &files, &rc))
        return rc;
    const char* output = NULL;
    for (qelSDKNameValue* pair = options; pair; pair = pair->next)
        if (strcmp(pair->name, "OutputFilename") == 0) {
            output = pair->value;
            break;
        }
    rc = runLorbaneFileReader(options, files, output);
    freeKeyValueList(options);
    freeFileList(files);
    return rc;
}

static int writeOutput(const char* path, const void* data, int size, const char* writeFailure)
{
    FILE* file = fopen(path, "wb");
    if (!file) {
        fprintf(stderr, "Error! Unable to open the output file %s (rc=%d, msg=%s)\n", path, errno, strerror(errno));
        return -7;
    }
    if (size > 0 && fwrite(data, 1, (size_t)size, file) != (size_t)size) {
        fprintf(stderr, writeFailure, path, errno, strerror(errno));
        fclose(file);
        return -8;
    }
    if (fclose(file) != 0) {
        fprintf(stderr, writeFailure, path, errno, strerror(errno));
        return -8;
    }
    return 0;
}

static int cmdMergeMem(int argc, char** argv)
{
    qelSDKNameValue* options = NULL;
    qelSDKNameList* files = NULL;
    int rc = 0;
    if (!commandFrame(argc, argv, IN_MERGEMEM, &options, &files, &rc))
        return rc;
    const char* format = NULL;
    for (qelSDKNameValue* pair = options; pair; pair = pair->next)
        if (strcmp(pair->name, "OutputFormat") == 0)
            format = pair->value;
    /* No format: an empty name, which cannot be opened. */
    char* output = NULL;
    if (format) {
        size_t size = strlen("pdf/merge") + 1 + strlen(format) + 1;
        output = malloc(size);
        if (!output) {
            freeKeyValueList(options);
            freeFileList(files);
            return -100;
        }
        snprintf(output, size, "%s.%s", "pdf/merge", format);
    }
    if (!files) {
        free(output);
        freeKeyValueList(options);
        return -1;
    }
    void* buffer = NULL;
    int size = 0;
    rc = runLorbaneMemReader(options, files, &buffer, &size);
    freeKeyValueList(options);
    freeFileList(files);
    if (rc >= 0) {
        int written = writeOutput(output ? output : "", buffer, size,
                                  "Error! While writing the output file %s (rc=%d, msg=%s)\n");
        if (written < 0)
            rc = written;
    }
    free(buffer);
    free(output);
    return rc;
}

static int cmdLorpdf(int argc, char** argv)
{
    qelSDKNameValue* options = NULL;
    qelSDKNameList* files = NULL;
    int rc = 0;
    if (!commandFrame(argc, argv, IN_LORPDF, &options, &files, &rc))
        return rc;
    const char* input = files ? files->name : NULL;
    const char* output = NULL;
    for (qelSDKNameList* file = files ? files->next : NULL; file; file = file->next)
        output = file->name;
    if (!input || !output) {
        fputs(input ? "Error! Missing output filename\n" : "Error! Missing input filename\n", stderr);
        freeKeyValueList(options);
        freeFileList(files);
        return -3;
    }
    long size = getFileSize(input);
    if (size <= 0 || size > 0x7FFFFFFF) {
        fprintf(stderr, "Error! Invalid input file (%s) size (%ld)\n", input, size);
        freeKeyValueList(options);
        freeFileList(files);
        return -4;
    }
    void* buffer = malloc((size_t)size);
    if (!buffer) {
        fprintf(stderr, "Error! Unable to allocate buffer for input file (%s) of size (%ld)\n", input, size);
        freeKeyValueList(options);
        freeFileList(files);
        return -100;
    }
    FILE* file = fopen(input, "rb");
    if (!file) {
        fprintf(stderr, "Error! Unable to open the input file %s (rc=%d, msg=%s)\n", input, errno, strerror(errno));
        free(buffer);
        freeKeyValueList(options);
        freeFileList(files);
        return -5;
    }
    if (fread(buffer, 1, (size_t)size, file) != (size_t)size) {
        fprintf(stderr, "Error! while reading the input file %s (rc=%d, msg=%s)\n", input, errno, strerror(errno));
        fclose(file);
        free(buffer);
        freeKeyValueList(options);
        freeFileList(files);
        return -6;
    }
    fclose(file);
    void* out = NULL;
    int outSize = 0;
    rc = runLorbaneMem(options, buffer, (int)size, &out, &outSize);
    free(buffer);
    freeKeyValueList(options);
    if (rc >= 0) {
        int written = writeOutput(output, out, outSize, "Error! while writing the output file %s (rc=%d, msg=%s)\n");
        if (written < 0)
            rc = written;
    }
    freeFileList(files);
    free(out);
    return rc;
}

int main(int argc, char** argv)
{
    const char* program = argv[0];
    if (argc < 2 || strcasecmp(argv[1], "-h") == 0 || strcasecmp(argv[1], "-?") == 0) {
        printBanner();
        printUsage(program);
        return 0;
    }
    if (strcasecmp(argv[1], "-vall") == 0) {
        fprintf(stderr, "Running %s Version %s\n", PROGRAM_NAME, PROGRAM_VERSION);
        fprintf(stderr, "%s\n", getVersionAll());
        return 0;
    }
    if (strcasecmp(argv[1], "-v") == 0) {
        fprintf(stderr, "Running %s Version %s\n", PROGRAM_NAME, PROGRAM_VERSION);
        fprintf(stderr, "%s\n", lorbane_GetVersion());
        return 0;
    }
    printBanner();
    static const struct
    {
        const char* name;
        int (*run)(int, char**);
    } kCommands[] = {
        {"lorbanemem", cmdLorbaneMem}, {"lorbane", cmdLorbane}, {"lorpdf", cmdLorpdf},
        {"mergemem", cmdMergeMem},     {"merge", cmdMerge},
    };
    for (size_t i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i)
        if (strncasecmp(argv[1], kCommands[i].name, strlen(kCommands[i].name)) == 0)
            return kCommands[i].run(argc, argv);
    fputs("\n ==> Unknown or wrong use of Option:", stderr);
    fprintf(stderr, "%s\n\n", argv[1]);
    printUsage(program);
    return 1;
}
