#ifndef QEL_PAGE_OBJECT_LISTS_H
#define QEL_PAGE_OBJECT_LISTS_H

#include <cstdint>
#include <vector>

class qelList;

// Presentation objects waiting to be added to pages, by key: a page number
// (positive), 0 for every page, -1 for odd and -2 for even pages. Owns its
// lists; the merged lists of each parity are built once and shared.
class qelPageObjectLists
{
public:
    qelPageObjectLists() = default;
    ~qelPageObjectLists();
    qelPageObjectLists(const qelPageObjectLists&) = delete;
    qelPageObjectLists& operator=(const qelPageObjectLists&) = delete;

    // Takes the list over; the list must own its objects.
    void add(int32_t key, qelList* objects);
    // The list of that page number, handed over to the caller; null when
    // there is none.
    qelList* takePageList(int32_t pageNumber);
    // The merged list of key 0 and the parity of the page number (not
    // owned by the caller); null when both are empty.
    qelList* getParityList(int32_t pageNumber);

private:
    struct Entry
    {
        int32_t key;
        qelList* objects;
    };
    std::vector<Entry> m_entries;
    qelList* m_odd = nullptr;
    qelList* m_even = nullptr;
};

#endif
