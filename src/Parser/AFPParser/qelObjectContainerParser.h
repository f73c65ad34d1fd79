#ifndef QEL_OBJECT_CONTAINER_PARSER_H
#define QEL_OBJECT_CONTAINER_PARSER_H

#include "qelAFPParser.h"
#include "qelObjectDataCollector.h"
#include "qelResParser.h"

#include <memory>

class qelContainerObject;
class qelResObjectContainer;
class qelSFIBlock;

// Reads one object container (Begin to End Object Container) into a
// container object wrapped in an object container resource, or takes a
// plain data file as one. Containers of types the image library cannot
// decode are read to their end, dropped and counted as ignored objects.
// One instance per process, kept by the pool.
class qelObjectContainerParser : public qelAFPParser, public qelResParser
{
public:
    qelObjectContainerParser();
    ~qelObjectContainerParser() override;

    // Mode 1: the resource is a plain data file found on the resource paths
    // (the object type is the one the shared triplet reader holds). Else the
    // next field of the current input begins the container. The new
    // resource (the caller owns it), or null; errors are dropped.
    qelRes* parse(const char* name, int mode, const char* fileName) override;
    // The container begun by the given field, read from the current input.
    qelResObjectContainer* parseInline(qelSFIBlock* begin);
    bool isResourceBegin(int id) const override { return id == 0xA892; }

    int getLevel() override { return m_level; }

    // Whether the data of a container type are kept (raster types).
    static bool isKeptType(int type);

private:
    void reset();
    void readObjectContainer();
    void beginObjectContainer();
    void endObjectContainer(bool skip);
    void objectEnvironmentGroup(bool read);
    void beginObjectEnvironmentGroup();
    void endObjectEnvironmentGroup();
    void objectAreaDescriptor();
    void objectAreaPosition();
    void containerDataDescriptor();
    void mapContainerData();
    void mapDataResource();
    void objectContainerData();
    void makeContainerFromFile();
    // Wraps the current container in a new resource.
    void makeResource();
    // After an error inside a container: reads on to its End field so that
    // the caller goes on with the field after it.
    void skipRestOfContainer();
    // After an error: reads past the container and forgets it.
    void abandon();
    // Raises the resource's bits per pixel by the decoded image and hands
    // the resource over.
    qelResObjectContainer* finish();
    // Runs one field's handling; a short field drops that field only.
    template <typename F> void handleField(F handle);
    void logOBP(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::unique_ptr<qelContainerObject> m_container;
    std::unique_ptr<qelResObjectContainer> m_current;
    // The container the current resource holds (owned by it).
    qelContainerObject* m_made = nullptr;
    qelObjectDataCollector m_data;
    // The End Object Container of the current container was read.
    bool m_ended = false;
};

#endif
