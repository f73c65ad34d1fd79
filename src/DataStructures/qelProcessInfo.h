#ifndef QEL_PROCESS_INFO_H
#define QEL_PROCESS_INFO_H

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

class qelString;

enum qelReportKind
{
    QEL_REPORT_STATISTIC = 1,
    QEL_REPORT_PROTOCOL = 2,
    QEL_REPORT_ERROR = 3
};

// Base of the run report files: run times, header texts, the dated file
// name "<name>_YYYYMMDD_HHMMSS.txt" and the common header. Lines end in
// CR LF; labels are padded to 29 characters.
class qelProcessInfo
{
public:
    qelProcessInfo();
    virtual ~qelProcessInfo();
    qelProcessInfo(const qelProcessInfo&) = delete;
    qelProcessInfo& operator=(const qelProcessInfo&) = delete;

    // Both times in seconds; the elapsed time is end - start.
    void setTimes(int64_t start, int64_t end);
    // Each setter stores a copy; null clears.
    void setVersion(const char* text);
    void setParameters(const char* text);
    void setInputFile(const char* name);
    void setNotice(const char* text);
    void setSupportLine();

    // Opens directory/name_YYYYMMDD_HHMMSS.txt (start time, local) for
    // writing. Nothing for a null name or directory. A failure raises E102
    // for a statistic, falls back to the current directory for an error
    // report and leaves a protocol without file.
    void openReportFile(const char* name, const char* directory);
    // Version, notice, support, times and parameters; statistic and error
    // report only, and only with an open file.
    void writeHeader();

    int64_t getStartTime() const { return m_startTime; }
    int64_t getEndTime() const { return m_endTime; }
    int64_t getElapsedTime() const { return m_elapsedTime; }
    FILE* getFile() const { return m_file; }
    int getKind() const { return m_kind; }
    void setKind(int kind) { m_kind = kind; }
    const char* getVersion() const;
    const char* getParameters() const;
    const char* getInputFile() const;
    const char* getNotice() const;
    const char* getSupportLine() const;
    const char* getFullPath() const;

    static struct tm toLocalTime(int64_t time);
    static struct tm toUTCTime(int64_t time);
    static int64_t difference(int64_t end, int64_t start) { return end - start; }
    // strftime in the C locale, whatever the process locale is.
    static std::string formatTime(const struct tm& time, const char* format);

protected:
    // Writes a text unformatted; nothing without a file.
    void writeText(const char* text);
    void writeFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void closeReportFile();

    int64_t m_startTime = 0;
    int64_t m_endTime = 0;
    int64_t m_elapsedTime = 0;
    FILE* m_file = nullptr;
    int m_kind = 0;
    qelString* m_version = nullptr;
    qelString* m_parameters = nullptr;
    qelString* m_inputFile = nullptr;
    qelString* m_notice = nullptr;
    qelString* m_support = nullptr;
    qelString* m_fullPath = nullptr;

private:
    bool openFallback(const char* directory, const char* fileName);
};

#endif
