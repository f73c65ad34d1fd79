#ifndef QEL_HASH_ID_MAP_H
#define QEL_HASH_ID_MAP_H

class qelList;
class qelResourceAliasName;

// The alias records of the run, filed by resource kind. Owns its records.
class qelHashIdMap
{
public:
    qelHashIdMap() = default;
    ~qelHashIdMap();
    qelHashIdMap(const qelHashIdMap&) = delete;
    qelHashIdMap& operator=(const qelHashIdMap&) = delete;

    // Files the record by its type; a record that has no list is deleted.
    void addAlias(qelResourceAliasName* record);
    // The record for a resource name and type, or null. For fonts the name
    // also matches under its other second character ('0' and '1'; '?'
    // matches both). The name is not changed.
    qelResourceAliasName* findHashId(const char* name, int type) const;
    // The list of code page records (null until the first one).
    qelList* getCodePageList() const { return m_lists[CODE_PAGES]; }

private:
    enum { FORM_MAPS, OVERLAYS, PAGE_SEGMENTS, CODED_FONTS, CHARACTER_SETS, CODE_PAGES, OBJECT_CONTAINERS, LIST_COUNT };
    static int listIndex(const char* name, int type, bool forFind);

    qelList* m_lists[LIST_COUNT] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
};

#endif
