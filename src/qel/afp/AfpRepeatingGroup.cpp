#include "qel/afp/AfpRepeatingGroup.h"

namespace qel
{
namespace afp
{

RepeatingGroup::~RepeatingGroup()
{
    delete m_children;
}

} // namespace afp
} // namespace qel
