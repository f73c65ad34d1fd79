#ifndef QEL_OBJECT_DATA_COLLECTOR_H
#define QEL_OBJECT_DATA_COLLECTOR_H

#include <cstdint>
#include <cstdio>
#include <string>

class qelChunkList;

// Gathers the data of one image or container while its fields are read:
// in memory up to a limit, beyond it in a spill file of its own that is
// deleted whenever the collection ends (taken, dropped or destroyed).
class qelObjectDataCollector
{
public:
    // source names the parser in raised errors (its __FILE__).
    explicit qelObjectDataCollector(const char* source) : m_source(source) {}
    ~qelObjectDataCollector() { drop(); }
    qelObjectDataCollector(const qelObjectDataCollector&) = delete;
    qelObjectDataCollector& operator=(const qelObjectDataCollector&) = delete;

    // Starts a collection: bytes beyond limit go to a file named
    // tempPath + name (made unique when taken). Drops a collection in progress.
    void start(const char* tempPath, const std::string& name, uint64_t limit);

    // Takes data (new[]) over. Raises E098 when the spill file cannot be
    // made or written; the collection is dropped then.
    void add(unsigned char* data, uint32_t length);

    // The collected bytes as one new[] buffer (never null; length may be 0),
    // and ends the collection.
    unsigned char* take(uint32_t& length);

    // Ends the collection and forgets its data.
    void drop();

    bool active() const { return m_active; }
    bool spilled() const { return m_file != nullptr; }
    uint32_t length() const { return m_length; }
    const std::string& spillName() const { return m_spillName; }

private:
    void openSpill();
    void fail(const char* reason);

    const char* m_source;
    bool m_active = false;
    std::string m_tempPath;
    std::string m_name;
    uint64_t m_limit = 0;
    qelChunkList* m_chunks = nullptr;
    uint32_t m_length = 0;
    std::string m_spillName;
    FILE* m_file = nullptr;
};

#endif
