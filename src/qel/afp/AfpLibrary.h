#ifndef QEL_AFP_LIBRARY_H
#define QEL_AFP_LIBRARY_H

namespace qel
{
namespace afp
{

// Start of a run: the pool's logger composition becomes the log's.
int initializeLibrary();
// End of a run: the pool is released and the log falls silent.
int finalizeLibrary();
const char* getLibraryVersion();

} // namespace afp
} // namespace qel

#endif
