#ifndef QEL_AFP_RESOURCE_GROUP_H
#define QEL_AFP_RESOURCE_GROUP_H

#include "qel/afp/DLinkedList.h"
#include "qel/afp/Writable.h"
#include "qel/afp/WritableContext.h"

#include <cstdint>

namespace qel
{

class Resource;

namespace afp
{

// The resources of an output, one list per type, written as a resource
// group in the order form maps, overlays, page segments, coded fonts,
// font character sets, code pages. It keeps them after writing, so that
// findResource answers for the whole run.
class ResourceGroup : public Writable
{
public:
    enum Type {
        PAGE_SEGMENT = 1, CODED_FONT = 2, CODE_PAGE = 3, CHARACTER_SET = 4, FORM_MAP = 5, OVERLAY = 6
    };

    // Written into the stream its writer gives.
    ResourceGroup();
    // Written into its own (owned) stream.
    explicit ResourceGroup(DataStream* stream);
    ~ResourceGroup() override;

    void setName(const char* name);
    const char* getName() const { return m_name; }
    DataStream* getDataStream() const { return m_stream; }
    bool isInitialized() const { return (m_state & 1) != 0; }
    bool isFinalized() const { return (m_state & 2) != 0; }

    int open();
    void close();
    virtual int initialize();
    virtual int finalize();

    // Case-sensitive, among resources entered as such; gives the local id.
    bool findResource(const char* name, int type, int* localId);
    // Once per name and type; with the envelope between Begin and End
    // Resource.
    void addResource(qel::Resource* resource, int type, bool withEnvelope);
    void addBeginResource(DLinkedList<WritableContext>* list, const char* name, uint8_t objectType);
    void addEndResource(DLinkedList<WritableContext>* list, const char* name);

    // -1 without a stream, -2 (nothing written) without any list, else 0.
    int write(DataStream* dataStream, uint16_t controlFlags, DNode<WritableContext>* from) override;

    // The object type a Begin Resource carries for a resource type (0 for
    // an unknown type).
    static uint8_t objectTypeOf(int type);

private:
    DLinkedList<WritableContext>*& listOf(int type);

    uint8_t m_state = 0;
    char* m_name = nullptr;
    DLinkedList<WritableContext>* m_formMaps = nullptr;
    DLinkedList<WritableContext>* m_overlays = nullptr;
    DLinkedList<WritableContext>* m_pageSegments = nullptr;
    DLinkedList<WritableContext>* m_codedFonts = nullptr;
    DLinkedList<WritableContext>* m_codePages = nullptr;
    DLinkedList<WritableContext>* m_characterSets = nullptr;
    DataStream* m_stream = nullptr;
};

} // namespace afp
} // namespace qel

#endif
