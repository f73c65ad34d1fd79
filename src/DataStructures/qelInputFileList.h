#ifndef QEL_INPUT_FILE_LIST_H
#define QEL_INPUT_FILE_LIST_H

class qelList;
struct qelListNode;

// The input paths of a run with their wildcards expanded into the existing
// files (directories are left out), path by path in the given order.
class qelInputFileList
{
public:
    // Takes over the list and its texts (allocated with new[]) and expands
    // the wildcards. A null list gives an empty file list.
    explicit qelInputFileList(qelList* paths);
    ~qelInputFileList();
    qelInputFileList(const qelInputFileList&) = delete;
    qelInputFileList& operator=(const qelInputFileList&) = delete;

    // A list that owns its texts, for the constructor.
    static qelList* createList();
    static void deleteText(void* text);

    void expandWildcards();
    // The first entry, or null for an empty list.
    const char* first();
    // The entry after the cursor; null at the end and before first().
    const char* next();

    qelList* getList() const { return m_list; }

private:
    qelList* m_list = nullptr;
    qelListNode* m_cursor = nullptr;
};

#endif
